// The fixture of every control-app end-to-end test: a device of one system version with the
// package installed, and the app on it. At the end of each test, pass or fail, the app is ended
// and checked gone, then the device is shut down and checked empty.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "ControlApp.h"
#include "GuardEvents.h"

namespace apptest {

// The main screen is on top, no alert is up, and the guard switch and the table agree (the
// battery floor off: its section has the switch alone, then its footnote, then the status line).
inline bool mainScreen(const Json& s, bool guardOn) {
    return s.value("title", "") == "Vigilant" && alertsUp(s).empty() &&
           switchOn(s, "preventSleepSwitch") == guardOn &&
           sections(s, "tableView") == (guardOn ? std::vector{1, 2, 1, 1, 1} : std::vector{1});
}

// The local notifications SpringBoard has booked, by `simctl status`; null when it had none to say.
inline Json notifications(const Json& status) {
    return status.is_object() && status.contains("notifications") ? status["notifications"]
                                                                  : Json();
}

class AppOnDevice : public testing::Test {
  protected:
    explicit AppOnDevice(const std::string& version) : device(version), app(device) {}

    void TearDown() override {
        if (HasFailure()) std::cerr << "app output:\n" << app.output() << "\n";
        const pid_t pid = app.pid();
        app.end();
        EXPECT_FALSE(e2e::processAlive(pid)) << "the app " << pid << " is still running";
        device.shutdown();
        EXPECT_TRUE(device.leftoverProcesses().empty()) << "device processes left behind";
    }

    // The package installed, the device booted at `rate` and the app on its main screen, guard
    // off: the start of the tests on iOS 4, where the app alone keeps the guard.
    void installBootAndLaunch(double rate) {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        ASSERT_TRUE(device.boot(rate)) << device.lastOutput();
        ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
    }

    bool launchOnMainScreen(bool guardOn) {
        if (!app.launch()) return false;
        return app.waitForState([&](const Json& s) { return mainScreen(s, guardOn); }, kHostBudget);
    }

    // Quits the app and checks that it ended with status 0.
    void quitCleanly() {
        const pid_t pid = app.pid();
        ASSERT_TRUE(app.quit(kHostBudget));
        ASSERT_TRUE(device.waitForEvents(
            [&](const Events& e) {
                return !eventsWith<wire::events::ProcessEnded>(e, "pid", pid).empty();
            },
            kHostBudget));
        const Events ended = eventsWith<wire::events::ProcessEnded>(device.events(), "pid", pid);
        EXPECT_EQ(ended[0].value("status", -1), 0) << ended[0].dump();
    }

    // SpringBoard handles requests in order: once an alert asked for now is shown, every
    // firing before it has been dealt with.
    void flushSpringBoard(const std::string& sentinel) {
        ASSERT_EQ(device.simctl({"alert", device.root(), "--body", sentinel, "--plain"}).status, 0)
            << device.lastOutput();
        ASSERT_TRUE(device.waitForEvents(
            [&](const Events& e) {
                return !eventsWith<wire::events::AlertShown>(e, "body", sentinel).empty();
            },
            kHostBudget));
    }

    e2e::DeviceSession device;
    ControlApp app;
};

}  // namespace apptest
