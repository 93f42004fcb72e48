// The control app on a broken iPhone OS 3.1.3 device: no /bin/launchctl, a settings file that
// does not parse, no help page. The app keeps answering and working as it can.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppOnDevice.h"
#include "GuardEvents.h"

namespace {

using apptest::Events;
using apptest::Json;
using apptest::kHostBudget;
using apptest::kItem;
using apptest::kRebootHint;
using apptest::mainScreen;
namespace fs = std::filesystem;

constexpr double kRate = 10;

class DeviceBadInput : public apptest::AppOnDevice {
  protected:
    DeviceBadInput() : AppOnDevice("3.1.3") {}

    void SetUp() override {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        ASSERT_TRUE(device.boot(kRate)) << device.lastOutput();
    }

    fs::path inRoot(const std::string& devicePath) const {
        return fs::path(device.root()) / devicePath.substr(1);
    }

    // Flips the guard on and dismisses the reboot hint.
    void switchGuardOn() {
        ASSERT_TRUE(app.tap("preventSleepSwitch"));
        const Json s = app.state();
        ASSERT_EQ(apptest::alertsUp(s).size(), 1u) << s.dump();
        EXPECT_EQ(apptest::alertsUp(s)[0].value("message", ""), kRebootHint);
        ASSERT_TRUE(app.tap("OK"));
        ASSERT_TRUE(
            app.waitForState([](const Json& st) { return mainScreen(st, true); }, kHostBudget))
            << app.lastState().dump();
    }
};

TEST_F(DeviceBadInput, WithoutLaunchctlTheGuardReadsOffAndTheScreenStillWorks) {
    ASSERT_TRUE(fs::remove(inRoot("/bin/launchctl")));
    ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
    ASSERT_NO_FATAL_FAILURE(switchGuardOn());
    ASSERT_TRUE(app.tap("scheduleSwitch"));
    EXPECT_EQ(apptest::storedSetting(device, "Schedule"), "1");
    ASSERT_TRUE(app.tap("preventSleepSwitch"));
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, false); }, kHostBudget))
        << app.lastState().dump();
    const Events events = device.events();
    EXPECT_TRUE(e2e::eventsNamed<wire::events::JobLoaded>(events).empty());
    EXPECT_TRUE(apptest::daemonStarts(events).empty());
    ASSERT_NO_FATAL_FAILURE(quitCleanly());
}

TEST_F(DeviceBadInput, ASettingsFileThatDoesNotParseReadsAsDefaultsAndTheGuardStillRuns) {
    const fs::path settings =
        inRoot(std::string("/var/root/Library/Preferences/") + apptest::kSettingsDomain + ".plist");
    fs::create_directories(settings.parent_path());
    std::ofstream(settings) << "this is { not a property list";
    ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
    ASSERT_NO_FATAL_FAILURE(switchGuardOn());
    // The schedule rows, shown now, read the defaults.
    const Json s = app.lastState();
    EXPECT_FALSE(apptest::switchOn(s, "scheduleSwitch"));
    EXPECT_EQ(apptest::labelText(s, "startLabel"), "09:00");
    EXPECT_EQ(apptest::labelText(s, "endLabel"), "17:00");
    // The hint's record replaced the broken file with a sound one.
    EXPECT_EQ(apptest::storedSetting(device, "StatusBarIconWarning"), "1");
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !apptest::daemonStarts(e).empty(); }, kHostBudget));
    ASSERT_TRUE(app.waitForState([](const Json& st) { return apptest::statusBarShows(st, kItem); },
                                 kHostBudget))
        << app.lastState().dump();
    ASSERT_NO_FATAL_FAILURE(quitCleanly());
}

TEST_F(DeviceBadInput, WithoutTheHelpPageTheHelpScreenOpensAndClosesAndTheAppGoesOn) {
    ASSERT_TRUE(fs::remove(inRoot("/Applications/VigilantPro.app/help.html")));
    ASSERT_TRUE(launchOnMainScreen(false)) << app.failure() << app.lastState().dump();
    ASSERT_TRUE(app.tap("helpButton"));
    ASSERT_TRUE(app.waitForState(
        [](const Json& s) { return s.value("title", "") == "Vigilant Help"; }, kHostBudget))
        << app.lastState().dump();
    const Json help = app.lastState();
    const Json web = apptest::widget(help, "webView");
    ASSERT_TRUE(web.is_object()) << help.dump();
    // The load failed: nothing is shown and no page entered the history.
    EXPECT_EQ(web.value("url", "?"), "");
    EXPECT_EQ(web.value("text", "?"), "");
    EXPECT_FALSE(web.value("canGoBack", true));
    EXPECT_FALSE(web.value("canGoForward", true));
    ASSERT_TRUE(app.tap("Done"));
    ASSERT_TRUE(app.waitForState([](const Json& s) { return mainScreen(s, false); }, kHostBudget))
        << app.lastState().dump();
    ASSERT_NO_FATAL_FAILURE(switchGuardOn());
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !apptest::daemonStarts(e).empty(); }, kHostBudget));
    ASSERT_NO_FATAL_FAILURE(quitCleanly());
}

}  // namespace
