// The main of the tests that run on Qt's offscreen platform: real widgets, no display needed.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace {
QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform cannot raise windows and says so at every raise; that is expected.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support raise()"))) return;
    if (g_defaultHandler) g_defaultHandler(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_defaultHandler = qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
