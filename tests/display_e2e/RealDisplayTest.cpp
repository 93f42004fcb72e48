// The packaged control app on a simulated device, in a real window on an X server, driven
// with real pointer events as a person drives it: a click is a touch, so the device stays
// awake while the window is used, and sleeps its idle time after the last click; while it
// sleeps the window is dark, and woken it shows the app again. Skipped, and saying so, when no
// X server can be started.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "AppOnDevice.h"
#include "VirtualDisplay.h"

namespace {

using apptest::Json;
using apptest::kHostBudget;
using e2e::deviceSeconds;
using e2e::eventsNamed;

constexpr double kRate = 10;       // device seconds a real second
constexpr double kIdleSleep = 30;  // device seconds: three real seconds untouched
// Where the main screen's Stay Awake switch and an empty stretch of it lie in the window.
constexpr int kSwitchX = 252, kSwitchY = 96;
constexpr int kEmptyX = 160, kEmptyY = 400;

// Where the widgets of the road lie in the app's 320 x 480 window: the status bar (20) and the
// navigation bar (44) over every screen, then the screen's view as its interface file lays it
// out (the main screen's grouped table: a 44-point row a section, From / Until 70 points).
struct Point {
    int x, y;
};
constexpr Point kGuardSwitch{kSwitchX, kSwitchY};
constexpr Point kAlertButton{160, 286};  // the reboot hint's one button, under its three lines
constexpr Point kScheduleSwitch{kSwitchX, 150};
constexpr Point kWindowRow{160, 206};
constexpr Point kSaveButton{283, 42};  // the navigation bar's right end
constexpr Point kEndRow{160, 180};     // the picker's table at 40 in its view: Start, End
constexpr Point kHourWheel{130, 372};  // the 216-point band at the bottom, two 60-point wheels
constexpr int kStatusBarHeight = 20;
// The guard's status line, under the battery's footnote, counts down to the next window as the
// status bar's clock runs: a picture of the screen is compared above it.
constexpr int kStatusLineTop = 340;

constexpr double kRoadIdleSleep = 300;  // five device minutes: 30 real seconds untouched

// The hours of a label's "HH:MM"; -1 when it reads otherwise.
int hoursOf(const std::string& text) {
    return text.size() == 5 && text[2] == ':' ? std::atoi(text.substr(0, 2).c_str()) : -1;
}

class RealDisplay : public apptest::AppOnDevice {
  protected:
    RealDisplay() : AppOnDevice("3.1.3") {}
    long long deviceNow() { return deviceSeconds(device.status()["time"]); }
    size_t sleeps() { return eventsNamed<wire::events::Sleep>(device.events()).size(); }

    bool click(Point at) { return screen.click(window, at.x, at.y); }
    bool waitForApp(const std::function<bool(const Json&)>& condition) {
        return app.waitForState(condition, kHostBudget);
    }
    // Turns the hour wheel with the mouse wheel, as a person does who reads the time the wheel
    // edits on `label` and turns it by as many notches as it is off, until it reads `hours`.
    void turnHoursTo(const std::string& label, int hours) {
        ASSERT_TRUE(waitForApp([&](const Json& s) {
            return hoursOf(apptest::labelText(s, label)) >= 0;
        })) << app.lastState().dump();
        const int shown = hoursOf(apptest::labelText(app.lastState(), label));
        ASSERT_TRUE(screen.scroll(window, kHourWheel.x, kHourWheel.y, hours > shown,
                                  std::abs(hours - shown)));
        EXPECT_TRUE(waitForApp([&](const Json& s) {
            return hoursOf(apptest::labelText(s, label)) == hours;
        })) << "the wheel stopped elsewhere: "
            << app.lastState().dump();
    }
    // Waits until the window's pixels satisfy `condition`; the last picture read is kept.
    bool waitForPicture(const std::function<bool(const display::Picture&)>& condition) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(int(kHostBudget));
        while (std::chrono::steady_clock::now() < deadline) {
            lastPicture = screen.picture(window);
            if (lastPicture && condition(*lastPicture)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    display::VirtualDisplay screen;
    std::string window;
    std::optional<display::Picture> lastPicture;
};

TEST_F(RealDisplay, ClicksKeepTheDeviceAwakeAndItSleepsItsIdleTimeAfterTheLastOne) {
    if (!screen.ready())
        GTEST_SKIP() << "no X server for the real-display test: " << screen.failure();
    ASSERT_TRUE(device.installPackage()) << device.lastOutput();
    ASSERT_TRUE(device.boot(
        {"--rate", std::to_string(int(kRate)), "--idle-sleep", std::to_string(int(kIdleSleep))}))
        << device.lastOutput();
    app.showOn(screen.name());
    ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
    window = screen.windowOf(app.pid(), kHostBudget);
    ASSERT_FALSE(window.empty()) << "the app's window never showed on " << screen.name();

    // Clicking for three idle periods, twice a real second: the device never sleeps.
    const long long firstClick = deviceNow();
    long long lastClick = firstClick;
    while (lastClick - firstClick < 3 * kIdleSleep) {
        ASSERT_TRUE(screen.click(window, kEmptyX, kEmptyY));
        lastClick = deviceNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_EQ(sleeps(), 0u) << "slept under the user's clicks";
    EXPECT_EQ(device.status().value("power", ""), "awake");

    // Untouched, it sleeps its idle time after the last click (told within a real second).
    ASSERT_TRUE(device.waitForEvents(
        [](const std::vector<Json>& e) { return !eventsNamed<wire::events::Sleep>(e).empty(); },
        kHostBudget));
    const long long sleptAt =
        deviceSeconds(eventsNamed<wire::events::Sleep>(device.events())[0]["time"]);
    EXPECT_GE(sleptAt - lastClick, kIdleSleep - 2);
    EXPECT_LE(sleptAt - lastClick, kIdleSleep + 2 * kRate + 5);

    // Woken, a real click on the switch is taken by it: the guard is switched on.
    ASSERT_EQ(device.simctl({"wake", device.root()}).status, 0) << device.lastOutput();
    ASSERT_TRUE(screen.click(window, kSwitchX, kSwitchY));
    EXPECT_TRUE(app.waitForState(
        [](const Json& s) {
            return apptest::switchOn(s, "preventSleepSwitch") || !apptest::alertsUp(s).empty();
        },
        kHostBudget))
        << app.lastState().dump();
}

// The road a person takes, by hand: guard on, the reboot hint answered, the daily window on,
// 22:00 to 06:00 turned on the picker's hour wheel, saved. The guard runs, the window is
// stored, the device stayed awake throughout and sleeps five idle minutes after the last
// click, outside the window; asleep, the window is dark; woken, it shows the app as it was.
TEST_F(RealDisplay, TheRoadByHandIsStoredAndTheDeviceSleepsDarkFiveIdleMinutesAfterIt) {
    if (!screen.ready())
        GTEST_SKIP() << "no X server for the real-display test: " << screen.failure();
    ASSERT_TRUE(device.installPackage()) << device.lastOutput();
    ASSERT_TRUE(device.boot({"--time", "2010-01-01 21:00:00", "--rate", std::to_string(int(kRate)),
                             "--idle-sleep", std::to_string(int(kRoadIdleSleep))}))
        << device.lastOutput();
    app.showOn(screen.name());
    ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
    window = screen.windowOf(app.pid(), kHostBudget);
    ASSERT_FALSE(window.empty()) << "the app's window never showed on " << screen.name();
    const auto geometry = screen.geometry(window);
    ASSERT_TRUE(geometry.has_value());
    ASSERT_EQ(geometry->width, 320) << "the clicks' places are the phone's points";
    ASSERT_EQ(geometry->height, 480);

    ASSERT_TRUE(click(kGuardSwitch));
    ASSERT_TRUE(waitForApp([](const Json& s) {
        const Json alerts = apptest::alertsUp(s);
        return alerts.size() == 1 && alerts[0].value("message", "") == apptest::kRebootHint;
    })) << app.lastState().dump();
    ASSERT_TRUE(click(kAlertButton));
    ASSERT_TRUE(waitForApp([](const Json& s) { return apptest::mainScreen(s, true); }))
        << app.lastState().dump();
    ASSERT_TRUE(click(kScheduleSwitch));
    ASSERT_TRUE(waitForApp([](const Json& s) { return apptest::switchOn(s, "scheduleSwitch"); }))
        << app.lastState().dump();
    ASSERT_TRUE(click(kWindowRow));
    ASSERT_TRUE(waitForApp([](const Json& s) { return s.value("title", "") == "Start & End"; }))
        << app.lastState().dump();
    ASSERT_NO_FATAL_FAILURE(turnHoursTo("minLabel", 22));
    ASSERT_TRUE(click(kEndRow));
    ASSERT_TRUE(waitForApp([](const Json& s) {
        return apptest::widget(s, "bedTableView").value("selected", Json()) == Json{0, 1};
    })) << app.lastState().dump();
    ASSERT_NO_FATAL_FAILURE(turnHoursTo("maxLabel", 6));
    ASSERT_TRUE(click(kSaveButton));
    const long long lastClick = deviceNow();
    ASSERT_TRUE(waitForApp([](const Json& s) {
        return apptest::mainScreen(s, true) && apptest::labelText(s, "startLabel") == "22:00" &&
               apptest::labelText(s, "endLabel") == "06:00";
    })) << app.lastState().dump();

    // The window is stored, and the guard runs: started by the switch, restarted by the
    // schedule switch and by the save, and still running.
    EXPECT_EQ(apptest::storedSetting(device, "Schedule"), "1");
    EXPECT_EQ(apptest::storedSetting(device, "ScheduleStart"), "1320");
    EXPECT_EQ(apptest::storedSetting(device, "ScheduleEnd"), "360");
    ASSERT_TRUE(device.waitForEvents(
        [](const apptest::Events& e) { return apptest::daemonStarts(e).size() == 3; },
        kHostBudget));
    const long long daemon = apptest::daemonStarts(device.events()).back();
    EXPECT_FALSE(apptest::daemonEnded(device.events(), daemon));
    const Json job = apptest::guardJob(device.status());
    ASSERT_TRUE(job.is_object()) << device.lastOutput();
    EXPECT_EQ(job.value("pid", -1LL), daemon);
    EXPECT_EQ(sleeps(), 0u) << "slept while the app was being used";

    // Untouched, outside the window, it sleeps five minutes after the last click, dark.
    const std::optional<display::Picture> lit = screen.picture(window);
    ASSERT_TRUE(lit.has_value()) << "no pixels of the window in the framebuffer";
    EXPECT_LT(lit->darkShare(), 0.5) << "the app was not on the screen";
    ASSERT_TRUE(device.waitForEvents(
        [](const std::vector<Json>& e) { return !eventsNamed<wire::events::Sleep>(e).empty(); },
        kHostBudget));
    const long long sleptAt =
        deviceSeconds(eventsNamed<wire::events::Sleep>(device.events())[0]["time"]);
    EXPECT_GE(sleptAt - lastClick, kRoadIdleSleep - 2);
    EXPECT_LE(sleptAt - lastClick, kRoadIdleSleep + 2 * kRate + 5);
    EXPECT_TRUE(waitForPicture([](const display::Picture& p) { return p.darkShare() > 0.99; }))
        << "asleep, the window is not dark: " << (lastPicture ? lastPicture->darkShare() : 0);

    // Woken, the window shows the app again as it was, bar the status bar's clock and the
    // status line's count.
    ASSERT_EQ(device.simctl({"wake", device.root()}).status, 0) << device.lastOutput();
    EXPECT_TRUE(waitForPicture([&](const display::Picture& p) {
        return p.sameShare(*lit, kStatusBarHeight, kStatusLineTop) > 0.99;
    })) << "woken, the window does not show the app: "
        << (lastPicture ? lastPicture->sameShare(*lit, kStatusBarHeight, kStatusLineTop) : 0);
    EXPECT_TRUE(waitForApp([](const Json& s) { return apptest::mainScreen(s, true); }))
        << app.lastState().dump();
}

}  // namespace
