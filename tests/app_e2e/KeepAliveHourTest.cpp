// An hour of an iOS 4.0 device whose idle timeout is longer than a minute, the guard switched on
// in the app: the keep-alive notification wakes the device at every firing, on time. With the
// extension the device sleeps between firings, never longer than a minute, and no alert is shown;
// without it every firing's alert is shown and keeps the screen lit.
#include <gtest/gtest.h>
#include <wire/DevicePaths.h>
#include <wire/events/All.h>

#include <filesystem>

#include "AppOnDevice.h"

namespace {

using apptest::Events;
using apptest::Json;
using e2e::deviceSeconds;
using e2e::eventsNamed;

class KeepAliveHour : public apptest::AppOnDevice, public testing::WithParamInterface<bool> {
  protected:
    KeepAliveHour() : AppOnDevice("4.0") {}
};

TEST_P(KeepAliveHour, WakesForEveryFiringAndSleepsNoLongerThanAMinute) {
    const bool withExtension = GetParam();
    ASSERT_TRUE(device.installPackage()) << device.lastOutput();
    if (!withExtension) {
        ASSERT_TRUE(
            std::filesystem::remove(wire::inRoot(device.root(), wire::paths::kDynamicLibraries) +
                                    "/VigilantSubstrate.dylib"));
    }
    // The device's hour is a minute of real time.
    ASSERT_TRUE(device.boot({"--rate", "60", "--idle-sleep", "120"})) << device.lastOutput();
    ASSERT_TRUE(launchOnMainScreen(false)) << app.failure();
    ASSERT_TRUE(app.tap("preventSleepSwitch"));
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed<wire::events::NotificationBooked>(e).empty(); },
        apptest::kHostBudget));
    const long long on =
        deviceSeconds(eventsNamed<wire::events::NotificationBooked>(device.events())[0]["time"]);
    ASSERT_TRUE(
        device.waitForStatus([&](const Json& s) { return deviceSeconds(s["time"]) > on + 3600; },
                             apptest::kHostBudget + 60));

    const Events events = device.events();
    const Events fired = eventsNamed<wire::events::NotificationFired>(events);
    ASSERT_GE(fired.size(), 59u);
    for (size_t i = 0; i < fired.size(); ++i) {
        const long long due = deviceSeconds(fired[i]["fireDate"]);
        // Inside the dark-wake grace (15 device seconds at this rate).
        EXPECT_LE(deviceSeconds(fired[i]["time"]) - due, 10) << fired[i].dump();
        if (i > 0) {
            EXPECT_EQ(due - deviceSeconds(fired[i - 1]["fireDate"]), 60);
        }
    }
    const size_t shown =
        apptest::eventsWith<wire::events::AlertShown>(events, "body", apptest::kKeepAliveBody)
            .size();
    // The last firing's alert may not be in the log yet.
    EXPECT_TRUE(withExtension ? shown == 0 : shown + 1 >= fired.size()) << shown << " shown";
    size_t sleeps = 0;
    long long asleepSince = -1;
    for (const Json& e : events) {
        if (e.value("event", "") == "sleep") {
            asleepSince = deviceSeconds(e["time"]);
            ++sleeps;
        }
        if (e.value("event", "") != "wake" || asleepSince < 0) continue;
        EXPECT_LE(deviceSeconds(e["time"]) - asleepSince, 60) << e.dump();
        EXPECT_EQ(e.value("scheduledby", ""), "com.apple.springboard") << e.dump();
        asleepSince = -1;
    }
    // With the extension awake only a grace each minute; without it, lit for good.
    EXPECT_TRUE(withExtension ? sleeps >= 50 : sleeps == 0) << sleeps << " sleeps";
}

INSTANTIATE_TEST_SUITE_P(Extension, KeepAliveHour, testing::Bool(),
                         [](const auto& info) { return info.param ? "Installed" : "Removed"; });

}  // namespace
