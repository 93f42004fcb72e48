// Asleep looks asleep: the window is dark, the status bar too, when the app allows the sleep,
// and shows the app again as it was when the device has powered on.
#include <IOKit/IOMessage.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "AppHarness.h"
#include "ScreenPower.h"
#include "WindowWidget.h"

namespace {

using apptest::AppHarness;

bool allBlack(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != Qt::black) return false;
    return true;
}

TEST(ScreenPower, TheScreenIsDarkWhenTheSleepIsAllowedAndTheAppIsBackOnPowerOn) {
    AppHarness app;
    app.launch();
    uikit::ScreenPower screen;
    ASSERT_TRUE(screen.registered());
    auto* window = dynamic_cast<uikit::WindowWidget*>(app.window()->widget());
    ASSERT_NE(window, nullptr);
    AppHarness::spin();
    const QImage lit = window->grab().toImage();
    ASSERT_FALSE(allBlack(lit)) << "the app shows something while awake";

    // The app's loop is Qt's: it serves the messages when their descriptor is readable.
    const auto answered = [&](size_t count) {
        return AppHarness::spinUntil([&] { return app.device().powerAnswers().size() == count; });
    };
    ASSERT_TRUE(app.device().deliverPowerMessage(kIOMessageCanSystemSleep, 41));
    ASSERT_TRUE(answered(1));
    EXPECT_FALSE(window->screenOff()) << "being asked is no sleep yet";
    ASSERT_TRUE(app.device().deliverPowerMessage(kIOMessageSystemWillSleep, 42));
    ASSERT_TRUE(answered(2));
    EXPECT_TRUE(window->screenOff());
    EXPECT_TRUE(allBlack(window->grab().toImage())) << "dark, the status bar too";
    const auto& answers = app.device().powerAnswers();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_TRUE(answers[0].allow && answers[0].argument == 41);
    EXPECT_TRUE(answers[1].allow && answers[1].argument == 42);

    ASSERT_TRUE(app.device().deliverPowerMessage(kIOMessageSystemHasPoweredOn, 43));
    ASSERT_TRUE(AppHarness::spinUntil([&] { return !window->screenOff(); }));
    EXPECT_EQ(window->grab().toImage(), lit) << "the app again, exactly as it was";
}

}  // namespace
