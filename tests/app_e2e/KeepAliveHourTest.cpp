// An hour of an iOS 4.0 device whose idle timeout is longer than a minute, the guard switched on
// in the app: the keep-alive notification wakes the sleeping device at every firing. With the
// extension its alerts never reach the screen, the device sleeps between them and never longer
// than a minute; without it each alert is shown and lights the screen, every minute.
#include <gtest/gtest.h>
#include <wire/DevicePaths.h>
#include <wire/messages/Wake.h>

#include <filesystem>

#include "AppOnDevice.h"
#include "GuardEvents.h"

namespace {

using apptest::Events;
using apptest::eventsWith;
using apptest::Json;
using apptest::kHostBudget;
using apptest::kKeepAliveBody;
using e2e::deviceSeconds;
using e2e::eventsNamed;

constexpr double kRate = 60;  // the device's hour is a minute of real time
constexpr double kHour = 3600;

struct Sleep {
    long long from = 0;
    long long to = 0;  // the wake that ended it
    Json wake;
};

// Every sleep that a wake ended, in order.
std::vector<Sleep> sleeps(const Events& events) {
    std::vector<Sleep> found;
    std::optional<long long> asleepSince;
    for (const Json& e : events) {
        const std::string name = e.value("event", "");
        if (name == "sleep") asleepSince = deviceSeconds(e["time"]);
        if (name == "wake" && asleepSince) {
            found.push_back({*asleepSince, deviceSeconds(e["time"]), e});
            asleepSince.reset();
        }
    }
    return found;
}

class KeepAliveHour : public apptest::AppOnDevice {
  protected:
    KeepAliveHour() : AppOnDevice("4.0") {}

    // Boots with or without the extension, switches the guard on and lets an hour pass;
    // the device time the keep-alive was booked.
    void liveAnHour(bool withExtension) {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        if (!withExtension) {
            ASSERT_TRUE(std::filesystem::remove(
                wire::inRoot(device.root(), wire::paths::kDynamicLibraries) +
                "/VigilantSubstrate.dylib"));
        }
        ASSERT_TRUE(device.boot({"--rate", "60", "--idle-sleep", "120"})) << device.lastOutput();
        ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
        ASSERT_TRUE(app.tap("preventSleepSwitch"));
        ASSERT_TRUE(device.waitForEvents(
            [](const Events& e) { return !eventsNamed(e, "notification-booked").empty(); },
            kHostBudget));
        bookedAt = deviceSeconds(eventsNamed(device.events(), "notification-booked")[0]["time"]);
        ASSERT_TRUE(device.waitForStatus(
            [&](const Json& s) { return deviceSeconds(s["time"]) >= bookedAt + kHour + 1; },
            kHostBudget + kHour / kRate))
            << device.lastOutput();
        events = device.events();
        fired = eventsNamed(events, "notification-fired");
    }

    // One firing a minute, each on time, from the first minute on.
    void expectOneFiringAMinute() {
        ASSERT_GE(fired.size(), 59u);
        EXPECT_LE(deviceSeconds(fired[0]["fireDate"]), bookedAt + 61);
        for (size_t i = 0; i < fired.size(); ++i) {
            const long long due = deviceSeconds(fired[i]["fireDate"]);
            // Inside the dark-wake grace (15 device seconds at this rate): before the device
            // could sleep again.
            EXPECT_LE(deviceSeconds(fired[i]["time"]) - due, 10) << "late: " << fired[i].dump();
            if (i > 0) {
                EXPECT_EQ(due - deviceSeconds(fired[i - 1]["fireDate"]), 60) << fired[i].dump();
            }
        }
    }

    long long bookedAt = 0;
    Events events;
    Events fired;
};

TEST_F(KeepAliveHour, WithTheExtensionTheDeviceSleepsNoLongerThanAMinuteAndSeesNoAlert) {
    ASSERT_NO_FATAL_FAILURE(liveAnHour(true));
    ASSERT_NO_FATAL_FAILURE(expectOneFiringAMinute());
    EXPECT_TRUE(eventsWith(events, "alert-shown", "body", kKeepAliveBody).empty());
    const std::vector<Sleep> slept = sleeps(events);
    // Awake only the dark-wake grace of each minute: it sleeps nearly every minute.
    EXPECT_GE(slept.size(), 50u);
    for (const Sleep& s : slept) {
        EXPECT_LE(s.to - s.from, 60) << "asleep from " << s.from << ": " << s.wake.dump();
        EXPECT_EQ(s.wake.value("reason", ""), "wake-request") << s.wake.dump();
        EXPECT_EQ(s.wake.value("scheduledby", ""), wire::kSpringBoardWakeIdentifier);
    }
}

TEST_F(KeepAliveHour, WithoutTheExtensionTheAlertIsShownEveryMinute) {
    ASSERT_NO_FATAL_FAILURE(liveAnHour(false));
    ASSERT_NO_FATAL_FAILURE(expectOneFiringAMinute());
    const Events shown = eventsWith(events, "alert-shown", "body", kKeepAliveBody);
    EXPECT_GE(shown.size(), fired.size() - 1) << "a firing without its alert";
    // Each alert is a full idle period of two minutes: the device never got to sleep.
    EXPECT_TRUE(sleeps(events).empty());
    EXPECT_TRUE(eventsNamed(events, "sleep").empty());
}

}  // namespace
