// The control app on a simulated iPhone OS 3.1.3 device with the package installed: the guard
// switch loads and unloads the daemon's launchd job, the schedule switch and the time picker
// restart it with the new settings, and the app reads the guard's real state when it opens.
#include <gtest/gtest.h>

#include "AppOnDevice.h"
#include "GuardEvents.h"

namespace {

using apptest::daemonEnded;
using apptest::daemonStarts;
using apptest::Events;
using apptest::Json;
using apptest::kHostBudget;
using apptest::kItem;
using apptest::kRebootHint;
using apptest::mainScreen;

// Noon: inside the default 09:00 to 17:00 window, far from both ends of the 23:05 to 06:00 one.
const std::vector<std::string> kBoot = {"--time", "2010-01-01 12:00:00", "--rate",
                                        "10",     "--idle-sleep",        "0"};

class LaunchdPath : public apptest::AppOnDevice {
  protected:
    LaunchdPath() : AppOnDevice("3.1.3") {}

    void SetUp() override {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        ASSERT_TRUE(device.boot(kBoot)) << device.lastOutput();
        ASSERT_TRUE(app.launch()) << app.failure();
    }

    // A new daemon beside the ones in `known`, once the log shows its start.
    long long waitForNewDaemon(const std::vector<long long>& known) {
        long long pid = -1;
        device.waitForEvents(
            [&](const Events& e) {
                const auto starts = daemonStarts(e);
                if (starts.size() <= known.size()) return false;
                pid = starts.back();
                return true;
            },
            kHostBudget);
        return pid;
    }

    void waitForDaemonEnd(long long pid) {
        ASSERT_TRUE(
            device.waitForEvents([&](const Events& e) { return daemonEnded(e, pid); }, kHostBudget))
            << "daemon " << pid << " did not end";
    }

    // The guard switch flipped on the main screen; the reboot hint dismissed when it comes.
    void switchGuardOn(bool expectHint) {
        ASSERT_TRUE(app.tap("preventSleepSwitch"));
        const Json s = app.state();
        ASSERT_TRUE(s.is_object());
        if (!expectHint) {
            EXPECT_TRUE(apptest::alertsUp(s).empty()) << apptest::alertsUp(s).dump();
            return;
        }
        ASSERT_EQ(apptest::alertsUp(s).size(), 1u) << s.dump();
        EXPECT_EQ(apptest::alertsUp(s)[0].value("message", ""), kRebootHint);
        EXPECT_EQ(apptest::alertsUp(s)[0].value("title", ""), "Vigilant");  // the display name
        EXPECT_EQ(apptest::alertsUp(s)[0]["buttons"], Json::array({"OK"}));
        ASSERT_TRUE(app.tap("OK"));
    }
};

TEST_F(LaunchdPath, GuardOnLoadsTheJobAndShowsItsItemOffUnloadsItAndTheItemGoes) {
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, false); }, kHostBudget))
        << app.lastState().dump();
    EXPECT_FALSE(apptest::statusBarShows(app.lastState(), kItem));
    EXPECT_EQ(apptest::labelText(app.lastState(), "footerLabel"), "v" VIGILANT_BUNDLE_VERSION);

    // The help page comes from the installed bundle.
    ASSERT_TRUE(app.tap("helpButton"));
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) {
            const Json web = apptest::widget(s, "webView");
            return s.value("title", "") == "Vigilant Help" && web.is_object() &&
                   !web.value("loading", true) && !web.value("text", "").empty();
        },
        kHostBudget))
        << app.lastState().dump();
    EXPECT_EQ(apptest::widget(app.lastState(), "webView").value("url", ""),
              "file:///Applications/VigilantPro.app/help.html");
    ASSERT_TRUE(app.tap("Done"));
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, false); }, kHostBudget))
        << app.lastState().dump();

    ASSERT_NO_FATAL_FAILURE(switchGuardOn(true));
    const long long daemon = waitForNewDaemon({});
    ASSERT_GT(daemon, 0) << "the daemon never started";
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) { return mainScreen(s, true) && apptest::statusBarShows(s, kItem); },
        kHostBudget))
        << app.lastState().dump();
    EXPECT_EQ(apptest::storedSetting(device, "StatusBarIconWarning"), "1");
    const Json job = apptest::guardJob(device.status());
    ASSERT_TRUE(job.is_object());
    EXPECT_TRUE(job.value("loaded", false));
    EXPECT_TRUE(job.value("enabled", false));
    EXPECT_EQ(job.value("pid", -1LL), daemon);
    EXPECT_EQ(apptest::labelText(app.lastState(), "statusLabel"), "Guarding");

    ASSERT_TRUE(app.tap("preventSleepSwitch"));
    ASSERT_NO_FATAL_FAILURE(waitForDaemonEnd(daemon));
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) { return mainScreen(s, false) && !apptest::statusBarShows(s, kItem); },
        kHostBudget))
        << app.lastState().dump();
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) {
            return !apptest::eventsWith<wire::events::JobUnloaded>(e, "label", apptest::kJobLabel)
                        .empty();
        },
        kHostBudget));
    const Events events = device.events();
    EXPECT_EQ(
        apptest::eventsWith<wire::events::JobLoaded>(events, "label", apptest::kJobLabel).size(),
        1u);
    EXPECT_EQ(
        apptest::eventsWith<wire::events::JobUnloaded>(events, "label", apptest::kJobLabel).size(),
        1u);
    EXPECT_EQ(daemonStarts(events).size(), 1u);
    const Json after = apptest::guardJob(device.status());
    ASSERT_TRUE(after.is_object());
    EXPECT_FALSE(after.value("loaded", true));
    EXPECT_FALSE(after.value("enabled", true));

    // A second time the hint stays away: it was shown once for these settings.
    ASSERT_NO_FATAL_FAILURE(switchGuardOn(false));
    ASSERT_GT(waitForNewDaemon({daemon}), 0);

    ASSERT_NO_FATAL_FAILURE(quitCleanly());
}

TEST_F(LaunchdPath, ScheduleAndNewTimesRestartTheDaemonAndReopeningShowsTheRealState) {
    ASSERT_NO_FATAL_FAILURE(switchGuardOn(true));
    const long long first = waitForNewDaemon({});
    ASSERT_GT(first, 0);
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, true); }, kHostBudget))
        << app.lastState().dump();
    EXPECT_EQ(apptest::labelText(app.lastState(), "startLabel"), "09:00");
    EXPECT_EQ(apptest::labelText(app.lastState(), "endLabel"), "17:00");
    EXPECT_FALSE(apptest::switchOn(app.lastState(), "scheduleSwitch"));

    // The schedule switch stores the setting and restarts the daemon.
    ASSERT_TRUE(app.tap("scheduleSwitch"));
    ASSERT_NO_FATAL_FAILURE(waitForDaemonEnd(first));
    const long long second = waitForNewDaemon({first});
    ASSERT_GT(second, 0) << "no new daemon after the schedule switch";
    EXPECT_EQ(apptest::storedSetting(device, "Schedule"), "1");
    // Inside the stored window at noon, the new daemon shows the item again.
    ASSERT_TRUE(app.waitForState([](const Json& s) { return apptest::statusBarShows(s, kItem); },
                                 kHostBudget))
        << app.lastState().dump();

    // The picker: 23:05 to 06:00, saved.
    ASSERT_TRUE(app.tapRow("tableView", 1, 1));
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) { return s.value("title", "") == "Start & End"; }, kHostBudget))
        << app.lastState().dump();
    EXPECT_EQ(apptest::widget(app.lastState(), "bedPickerView")["selectedRows"],
              Json::array({9, 0}));
    ASSERT_TRUE(app.pick("bedPickerView", 0, 23));
    ASSERT_TRUE(app.pick("bedPickerView", 1, 5));
    ASSERT_TRUE(app.tapRow("bedTableView", 0, 1));
    ASSERT_TRUE(app.pick("bedPickerView", 0, 6));
    ASSERT_TRUE(app.pick("bedPickerView", 1, 0));
    const Json picked = app.state();
    EXPECT_EQ(apptest::labelText(picked, "minLabel"), "23:05");
    EXPECT_EQ(apptest::labelText(picked, "maxLabel"), "06:00");
    // Nothing is stored before the save.
    EXPECT_EQ(apptest::storedSetting(device, "ScheduleStart"), "");
    ASSERT_TRUE(app.tap("saveButton"));

    ASSERT_NO_FATAL_FAILURE(waitForDaemonEnd(second));
    const long long third = waitForNewDaemon({first, second});
    ASSERT_GT(third, 0) << "no new daemon after the save";
    EXPECT_EQ(apptest::storedSetting(device, "ScheduleStart"), "1385");
    EXPECT_EQ(apptest::storedSetting(device, "ScheduleEnd"), "360");
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) {
            return mainScreen(s, true) && apptest::labelText(s, "startLabel") == "23:05" &&
                   apptest::labelText(s, "endLabel") == "06:00";
        },
        kHostBudget))
        << app.lastState().dump();
    // The new daemon works with the new window: outside it at noon, it hides the item and books
    // a wake-up for the window's start.
    ASSERT_TRUE(device.waitForEvents(
        [&](const Events& e) {
            return !apptest::eventsWith<wire::events::WakeBooked>(e, "pid", third).empty();
        },
        kHostBudget))
        << "the third daemon booked no wake-up";
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) {
            return apptest::labelText(s, "statusLabel").starts_with("Next window at 23:05, in 1");
        },
        kHostBudget))
        << app.lastState().dump();
    const Events booked =
        apptest::eventsWith<wire::events::WakeBooked>(device.events(), "pid", third);
    // Within the start minute: the daemon keeps the seconds of the minute it booked in.
    EXPECT_TRUE(booked[0].value("wakeTime", "").starts_with("2010-01-01T23:05:"))
        << booked[0].dump();
    EXPECT_EQ(booked[0].value("scheduledby", ""), apptest::kJobLabel);
    ASSERT_TRUE(app.waitForState([](const Json& s) { return !apptest::statusBarShows(s, kItem); },
                                 kHostBudget))
        << app.lastState().dump();

    // Quit and reopen: the guard is still on, with its schedule and times.
    ASSERT_TRUE(app.quit(kHostBudget));
    ASSERT_TRUE(app.launch()) << app.failure();
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) {
            return mainScreen(s, true) && apptest::switchOn(s, "scheduleSwitch") &&
                   apptest::labelText(s, "startLabel") == "23:05" &&
                   apptest::labelText(s, "endLabel") == "06:00";
        },
        kHostBudget))
        << app.lastState().dump();
    EXPECT_EQ(daemonStarts(device.events()).size(), 3u) << "opening the app restarted the guard";
    const Json job = apptest::guardJob(device.status());
    ASSERT_TRUE(job.is_object());
    EXPECT_EQ(job.value("pid", -1LL), third) << "the daemon did not outlast the app";

    // Off, quit and reopen: the guard reads off.
    ASSERT_TRUE(app.tap("preventSleepSwitch"));
    ASSERT_NO_FATAL_FAILURE(waitForDaemonEnd(third));
    ASSERT_TRUE(app.quit(kHostBudget));
    ASSERT_TRUE(app.launch()) << app.failure();
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, false); }, kHostBudget))
        << app.lastState().dump();
    EXPECT_EQ(daemonStarts(device.events()).size(), 3u);
}

}  // namespace
