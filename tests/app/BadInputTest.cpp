// What the app does with a broken phone around it: no launchctl, a settings file that does not
// parse. It keeps working as it would with the tool silent and the settings at their defaults.
#include <gtest/gtest.h>

#include "AppHarness.h"
#include "AppSettings.h"

namespace {
using apptest::AppHarness;

TEST(BadInput, WithoutLaunchctlTheGuardReadsOffAndTheSwitchStillWorks) {
    AppHarness::Options options;
    options.installLaunchctl = false;
    AppHarness app(options);
    app.launch();
    RootViewController* root = app.root();
    EXPECT_FALSE(root->preventSleepSwitch()->isOn());
    // The shell says the command is not there on its error stream; the output is empty.
    EXPECT_EQ(root->executeCommand("/bin/launchctl list"), std::optional<NSString>(""));
    app.flip(root->preventSleepSwitch());
    EXPECT_EQ(root->tableView()->numberOfSections(), 5);
    EXPECT_EQ(UIAlertView::visibleAlerts().size(), 1u);  // the reboot hint all the same
    app.flip(root->scheduleSwitch());
    EXPECT_TRUE(app.settingBool("Schedule"));
    app.flip(root->preventSleepSwitch());
    EXPECT_EQ(root->tableView()->numberOfSections(), 1);
}

TEST(BadInput, ASettingsFileThatDoesNotParseReadsAsDefaults) {
    AppHarness app;
    app.device().writeSettingsFile("this is { not a property list");
    app.device().reloadUserDefaults();
    app.launch();
    RootViewController* root = app.root();
    EXPECT_FALSE(root->scheduleSwitch()->isOn());
    EXPECT_EQ(root->startLabel()->text(), std::optional<NSString>("09:00"));
    EXPECT_EQ(root->endLabel()->text(), std::optional<NSString>("17:00"));
    app.flip(root->preventSleepSwitch());
    EXPECT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    // The first change writes a sound file in its place.
    EXPECT_TRUE(app.settingBool("StatusBarIconWarning"));
}

TEST(BadInput, SettingsOfTheWrongTypeReadAsDefaults) {
    AppHarness app;
    PList::Dictionary odd;
    odd.Set("Schedule", PList::String("yes"));
    odd.Set("ScheduleStart", PList::String("22:00"));
    odd.Set("ScheduleEnd", PList::Array());
    app.device().writeSettings(odd);
    app.device().reloadUserDefaults();
    app.launch();
    EXPECT_FALSE(app.root()->scheduleSwitch()->isOn());
    EXPECT_EQ(app.root()->startLabel()->text(), std::optional<NSString>("09:00"));
    EXPECT_EQ(app.root()->endLabel()->text(), std::optional<NSString>("17:00"));
}

}  // namespace
