#include "FirstFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace uikit {
namespace {

class FirstPaintWatcher : public QObject {
  public:
    FirstPaintWatcher(QWidget* window, QString file, bool exitAfter)
        : QObject(window), file_(std::move(file)), exit_(exitAfter) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            // The paint event is being delivered now; the frame is complete once it returns.
            QTimer::singleShot(0, this, [this] { record(); });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void record() {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
        QFile out(file_);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(QByteArray::number(ns) + '\n');
        if (exit_) QCoreApplication::quit();
    }
    QString file_;
    bool exit_;
    bool done_ = false;
};

}  // namespace

void reportFirstFrame(QWidget* window) {
    const char* file = std::getenv("VIGILANT_UI_FIRST_FRAME");
    if (!file || !*file || !window) return;
    const char* exitAfter = std::getenv("VIGILANT_UI_EXIT_AFTER_FIRST_FRAME");
    new FirstPaintWatcher(window, QString::fromLocal8Bit(file),
                          exitAfter && std::strcmp(exitAfter, "1") == 0);
}

}  // namespace uikit
