// A touch is user activity: every input event of the app's window tells the device, at most
// once a second, and the last touch of a burst is told when its second is over.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <chrono>

#include "AppHarness.h"
#include "TestPlatform.h"
#include "TouchActivity.h"

namespace {

using apptest::AppHarness;
using Clock = std::chrono::steady_clock;

void press(QWidget& w, QEvent::Type type) {
    QMouseEvent event(type, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

void wheel(QWidget& w) {
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&w, &event);
}

void key(QWidget& w) {
    QKeyEvent event(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

TEST(TouchActivity, ABurstOfTouchesIsToldAtOnceAndItsLastOneASecondLater) {
    platform::testing::TestPlatform device;
    uikit::TouchActivity touches;
    QWidget screen;

    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 20; ++i) {
        press(screen, QEvent::MouseButtonPress);
        press(screen, QEvent::MouseButtonRelease);
        wheel(screen);
        key(screen);
    }
    EXPECT_EQ(device.userActivities(), 1u) << "the first touch is told at once, once";

    ASSERT_TRUE(AppHarness::spinUntil([&] { return device.userActivities() == 2; }, 10000))
        << "the burst's last touch is told when the second is over";
    EXPECT_GE(Clock::now() - start, uikit::TouchActivity::kInterval);
    EXPECT_FALSE(AppHarness::spinUntil([&] { return device.userActivities() > 2; }, 2500))
        << "nothing more without a touch";
}

TEST(TouchActivity, LookingIsNoTouch) {
    platform::testing::TestPlatform device;
    uikit::TouchActivity touches;
    QWidget screen;
    QMouseEvent hover(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&screen, &hover);
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&screen, &paint);
    AppHarness::spin();
    EXPECT_EQ(device.userActivities(), 0u);

    QMouseEvent drag(QEvent::MouseMove, QPointF(5, 9), QPointF(5, 9), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&screen, &drag);
    EXPECT_EQ(device.userActivities(), 1u) << "a drag is a finger on the screen";
}

}  // namespace
