// The control app on a simulated iOS 4.0 device with the package (and so the extension)
// installed: the guard is the keep-alive notification, whose alerts never reach the screen, and
// the app shows the status-bar item itself through libstatusbar.
#include <gtest/gtest.h>

#include "AppOnDevice.h"
#include "GuardEvents.h"

namespace {

using apptest::Events;
using apptest::Json;
using apptest::kHostBudget;
using apptest::kItem;
using apptest::kKeepAliveBody;
using apptest::kKeepAliveLaunchImage;
using apptest::kScheduleRefusal;
using apptest::kScheduleRefusalTitle;
using apptest::mainScreen;
using apptest::notifications;
using e2e::deviceSeconds;
using e2e::eventsNamed;

// Fast enough that a few device minutes pass in seconds, slow enough that a loaded machine
// still fires each minute's notification within its minute.
constexpr double kRate = 20;

size_t keepAliveAlertsShown(const Events& events) {
    return apptest::eventsWith<wire::events::AlertShown>(events, "body", kKeepAliveBody).size();
}

class NotificationPath : public apptest::AppOnDevice {
  protected:
    NotificationPath() : AppOnDevice("4.0") {}

    void SetUp() override { installBootAndLaunch(kRate); }

    // Switches the guard on and waits for the booking and the item.
    void switchOn() {
        ASSERT_TRUE(app.tap("preventSleepSwitch"));
        EXPECT_TRUE(apptest::alertsUp(app.state()).empty()) << "a hint on the notification path";
        ASSERT_TRUE(device.waitForStatus([](const Json& s) { return notifications(s).size() == 1; },
                                         kHostBudget))
            << device.lastOutput();
        ASSERT_TRUE(device.waitForEvents(
            [](const Events& e) {
                return !eventsNamed<wire::events::NotificationBooked>(e).empty();
            },
            kHostBudget));
        ASSERT_TRUE(app.waitForState(
            [](const Json& s) { return mainScreen(s, true) && apptest::statusBarShows(s, kItem); },
            kHostBudget))
            << app.lastState().dump();
        EXPECT_EQ(apptest::labelText(app.lastState(), "statusLabel"),
                  "Guarding: keep-alive every minute");
    }

    // Switches it off and waits until the booking and the item are gone.
    void switchOff() {
        ASSERT_TRUE(app.tap("preventSleepSwitch"));
        ASSERT_TRUE(device.waitForStatus(
            [](const Json& s) { return notifications(s).is_array() && notifications(s).empty(); },
            kHostBudget))
            << device.lastOutput();
        ASSERT_TRUE(app.waitForState(
            [](const Json& s) {
                return mainScreen(s, false) && !apptest::statusBarShows(s, kItem);
            },
            kHostBudget))
            << app.lastState().dump();
    }

    long long deviceNow() { return deviceSeconds(device.status()["time"]); }
};

TEST_F(NotificationPath, OnBooksOneHiddenNotificationAndShowsTheItemOffCancelsBoth) {
    ASSERT_NO_FATAL_FAILURE(switchOn());
    const Json booked = notifications(device.status());
    ASSERT_EQ(booked.size(), 1u) << booked.dump();
    EXPECT_EQ(booked[0].value("app", ""), apptest::kSettingsDomain);
    EXPECT_EQ(booked[0].value("body", ""), kKeepAliveBody);
    EXPECT_EQ(booked[0].value("launchImage", ""), kKeepAliveLaunchImage);
    EXPECT_EQ(booked[0].value("repeat", ""), "minute");
    const Events bookings = eventsNamed<wire::events::NotificationBooked>(device.events());
    ASSERT_EQ(bookings.size(), 1u);
    EXPECT_NEAR(deviceSeconds(bookings[0].value("fireDate", Json())) -
                    deviceSeconds(bookings[0].value("time", Json())),
                60, 2);
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) {
            return !apptest::eventsWith<wire::events::StatusBarShow>(e, "item", kItem).empty();
        },
        kHostBudget));
    const Events shows =
        apptest::eventsWith<wire::events::StatusBarShow>(device.events(), "item", kItem);
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].value("route", ""), "libstatusbar");
    EXPECT_EQ(apptest::storedSetting(device, "NotificationsEnabled"), "1");
    EXPECT_EQ(apptest::storedSetting(device, "StatusBarIconWarning"), "") << "hint recorded";
    EXPECT_TRUE(eventsNamed<wire::events::JobLoaded>(device.events()).empty());

    // A couple of device minutes of firings, none of them shown.
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return eventsNamed<wire::events::NotificationFired>(e).size() >= 3; },
        kHostBudget + 180 / kRate))
        << "the keep-alive notification did not fire three times";
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("after the firings"));
    Events events = device.events();
    EXPECT_EQ(keepAliveAlertsShown(events), 0u);
    for (const Json& fired : eventsNamed<wire::events::NotificationFired>(events))
        EXPECT_EQ(fired.value("launchImage", ""), kKeepAliveLaunchImage);

    // The schedule is refused here; nothing is booked again.
    ASSERT_TRUE(app.tap("scheduleSwitch"));
    const Json refused = app.state();
    ASSERT_EQ(apptest::alertsUp(refused).size(), 1u) << refused.dump();
    EXPECT_EQ(apptest::alertsUp(refused)[0].value("title", ""), kScheduleRefusalTitle);
    EXPECT_EQ(apptest::alertsUp(refused)[0].value("message", ""), kScheduleRefusal);
    ASSERT_TRUE(app.tap("OK"));
    EXPECT_TRUE(apptest::switchOn(app.state(), "scheduleSwitch"));
    EXPECT_EQ(apptest::storedSetting(device, "Schedule"), "1");
    EXPECT_EQ(eventsNamed<wire::events::NotificationBooked>(device.events()).size(), 1u);

    ASSERT_NO_FATAL_FAILURE(switchOff());
    EXPECT_EQ(apptest::storedSetting(device, "NotificationsEnabled"), "0");
    // SpringBoard writes its state before it logs the change.
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) {
            return !eventsNamed<wire::events::NotificationsCancelled>(e).empty() &&
                   !apptest::eventsWith<wire::events::StatusBarHide>(e, "item", kItem).empty();
        },
        kHostBudget));
    events = device.events();
    EXPECT_EQ(eventsNamed<wire::events::NotificationsCancelled>(events).size(), 1u);
    const Events hides = apptest::eventsWith<wire::events::StatusBarHide>(events, "item", kItem);
    ASSERT_EQ(hides.size(), 1u);
    EXPECT_EQ(hides[0].value("route", ""), "libstatusbar");

    // Over the next device minute and a half nothing fires any more.
    const size_t firedBefore = eventsNamed<wire::events::NotificationFired>(events).size();
    const long long cancelledAt = deviceNow();
    ASSERT_TRUE(device.waitForStatus(
        [&](const Json& s) { return deviceSeconds(s.value("time", Json())) >= cancelledAt + 90; },
        kHostBudget));
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("after the cancellation"));
    events = device.events();
    EXPECT_EQ(eventsNamed<wire::events::NotificationFired>(events).size(), firedBefore);
    EXPECT_EQ(keepAliveAlertsShown(events), 0u);
}

TEST_F(NotificationPath, ReopeningShowsTheGuardOnUntilItIsSwitchedOff) {
    ASSERT_NO_FATAL_FAILURE(switchOn());
    ASSERT_TRUE(app.quit(kHostBudget));
    ASSERT_TRUE(app.launch()) << app.failure();
    // SpringBoard keeps the item the app added until the app removes it.
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) { return mainScreen(s, true) && apptest::statusBarShows(s, kItem); },
        kHostBudget))
        << app.lastState().dump();
    // Opening the app books nothing more: the notification outlived the app.
    EXPECT_EQ(eventsNamed<wire::events::NotificationBooked>(device.events()).size(), 1u);
    EXPECT_EQ(notifications(device.status()).size(), 1u);

    ASSERT_NO_FATAL_FAILURE(switchOff());
    ASSERT_TRUE(app.quit(kHostBudget));
    ASSERT_TRUE(app.launch()) << app.failure();
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, false); }, kHostBudget))
        << app.lastState().dump();
}

}  // namespace
