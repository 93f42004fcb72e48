// The packaged control app on a simulated device, in a real window on an X server, clicked
// with real pointer events: a click is a touch, so the device stays awake while the window is
// used, and sleeps its idle time after the last click. Skipped, and saying so, when no X
// server can be started.
#include <gtest/gtest.h>

#include <chrono>
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

class RealDisplay : public apptest::AppOnDevice {
  protected:
    RealDisplay() : AppOnDevice("3.1.3") {}
    long long deviceNow() { return deviceSeconds(device.status()["time"]); }
    size_t sleeps() { return eventsNamed(device.events(), "sleep").size(); }
    display::VirtualDisplay screen;
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
    const std::string window = screen.windowOf(app.pid(), kHostBudget);
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
        [](const std::vector<Json>& e) { return !eventsNamed(e, "sleep").empty(); }, kHostBudget));
    const long long sleptAt = deviceSeconds(eventsNamed(device.events(), "sleep")[0]["time"]);
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

}  // namespace
