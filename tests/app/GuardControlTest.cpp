// Guard control on both paths: the launchd job on iPhone OS 2 and 3, the keep-alive
// notification on later systems; the switches' actions and what they leave behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "AppHarness.h"
#include "AppSettings.h"
#include "KeepAliveMarker.h"
#include "ScopedEnvironment.h"

namespace {
using apptest::AppHarness;
using platform::testing::Record;
namespace probe = platform::probe;

const char* const kPlist = "/System/Library/LaunchDaemons/com.quillmoor.vigilantpro.plist";
const std::string kLoad = std::string("load -w ") + kPlist;
const std::string kUnload = std::string("unload -w ") + kPlist;
const char* const kRebootHint =
    "A reboot is required for the status bar icon to appear after the first installation.";
const char* const kListingWithGuard =
    "PID\tStatus\tLabel\n312\t0\tcom.quillmoor.vigilantpro\n-\t0\tcom.apple.syslogd\n";

AppHarness::Options onSystem(const std::string& version) {
    AppHarness::Options options;
    options.systemVersion = version;
    return options;
}

// Index of the first recorded call equal to `call`; calls().size() when none.
size_t firstCall(AppHarness& app, const Record& call) {
    const auto& calls = app.device().calls();
    return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
}

// Index of the first recorded call of one kind; calls().size() when none.
template <class T>
size_t firstOf(AppHarness& app) {
    const auto found = app.device().indicesOf<T>();
    return found.empty() ? app.device().calls().size() : found.front();
}

std::optional<bool> boolIn(const PList::Dictionary* dict, const std::string& key) {
    return dict ? platform::testing::settingBoolean(*dict, key) : std::nullopt;
}

struct VersionCase {
    const char* version;
    bool launchd;
};

class GuardPath : public testing::TestWithParam<VersionCase> {};

TEST_P(GuardPath, FollowsTheVersionPrefix) {
    platform::testing::TestPlatform device;
    device.setSystemVersion(GetParam().version);
    EXPECT_EQ(VigilantUsesLaunchd(), GetParam().launchd);
}

INSTANTIATE_TEST_SUITE_P(Versions, GuardPath,
                         testing::Values(VersionCase{"2.2.1", true}, VersionCase{"3.1.3", true},
                                         VersionCase{"3.2", true}, VersionCase{"4.0", false},
                                         VersionCase{"4.2.1", false}, VersionCase{"4.3.3", false},
                                         VersionCase{"5.0", false}, VersionCase{"", false}));

TEST(GuardControlLaunchd, SwitchingOnShowsTheHintLoadsTheJobAndInsertsTheSections) {
    AppHarness app;
    app.launch();
    RootViewController* root = app.root();
    app.flip(root->preventSleepSwitch());

    EXPECT_EQ(app.launchctlCalls(), (std::vector<std::string>{"list", kLoad}));
    const auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), std::optional<NSString>("Vigilant"));
    EXPECT_EQ(alerts[0]->message(), std::optional<NSString>(kRebootHint));
    EXPECT_TRUE(app.settingBool("StatusBarIconWarning"));
    EXPECT_EQ(root->tableView()->numberOfSections(), 5);
    // The hint comes first, is recorded as shown, and the sections slide in from the right.
    const size_t shown = firstOf<probe::AlertShown>(app);
    const size_t stored = firstCall(
        app, probe::DefaultsWritten{probe::DefaultsChange::boolean, "StatusBarIconWarning"});
    const size_t inserted = firstCall(app, probe::SectionsInserted{{1, 2, 3, 4}, 1});
    EXPECT_LT(shown, stored);
    EXPECT_LT(stored, inserted);
    EXPECT_LT(inserted, app.device().calls().size());
}

TEST(GuardControlLaunchd, TheHintShowsOnlyTheFirstTime) {
    AppHarness app;
    app.launch();
    UISwitch* guard = app.root()->preventSleepSwitch();
    app.flip(guard);
    UIAlertView::visibleAlerts().front()->dismissWithClickedButtonIndexAnimated(0, NO);
    app.spin();
    app.flip(guard);
    app.flip(guard);
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
    EXPECT_EQ(app.launchctlCalls(), (std::vector<std::string>{"list", kLoad, kUnload, kLoad}));
    EXPECT_EQ(app.device().countCalls<probe::AlertShown>(), 1u);
}

TEST(GuardControlLaunchd, AStoredHintIsNeverShownAgain) {
    AppHarness app;
    AppSettings::sharedSettings()->setStatusBarIconWarning(YES);
    app.launch();
    app.flip(app.root()->preventSleepSwitch());
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
    EXPECT_EQ(app.launchctlCalls(), (std::vector<std::string>{"list", kLoad}));
}

TEST(GuardControlLaunchd, SwitchingOffDeletesTheSectionsThenUnloads) {
    AppHarness app;
    app.setListing(kListingWithGuard);
    app.launch();
    RootViewController* root = app.root();
    ASSERT_TRUE(root->preventSleepSwitch()->isOn());
    app.flip(root->preventSleepSwitch());
    EXPECT_EQ(app.launchctlCalls(), (std::vector<std::string>{"list", kUnload}));
    EXPECT_EQ(root->tableView()->numberOfSections(), 1);
    EXPECT_EQ(app.device().countCalls<probe::SectionsDeleted>(), 1u);
    EXPECT_LT(firstCall(app, probe::SectionsDeleted{{1, 2, 3, 4}, 2}), app.device().calls().size());
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
}

TEST(GuardControlLaunchd, TogglingTheScheduleStoresItThenUnloadsAndLoads) {
    AppHarness app;
    app.setListing(kListingWithGuard);
    app.launch();
    UISwitch* schedule = app.root()->scheduleSwitch();
    ASSERT_FALSE(schedule->isOn());
    app.flip(schedule);
    app.flip(schedule);
    EXPECT_EQ(app.launchctlCalls(),
              (std::vector<std::string>{"list", kUnload, kLoad, kUnload, kLoad}));
    // The settings file as each launchctl call found it: the new value was already there.
    const std::optional<bool> expected[] = {std::nullopt, true, true, false, false};
    for (size_t call = 0; call < 5; ++call) {
        SCOPED_TRACE(call);
        auto at = app.settingsAtCall(call);
        EXPECT_EQ(boolIn(at.get(), "Schedule"), expected[call]);
    }
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
    EXPECT_EQ(app.root()->tableView()->numberOfSections(), 5);
}

TEST(GuardControlNotification, SwitchingOnBooksOneRepeatingNotificationAndShowsTheImage) {
    AppHarness app(onSystem("4.0"));
    app.launch();
    const CFAbsoluteTime bookedAt = app.device().now();
    app.flip(app.root()->preventSleepSwitch());

    const auto& booked = app.device().notifications();
    ASSERT_EQ(booked.size(), 1u);
    EXPECT_EQ(booked[0].fireDate, std::optional<CFAbsoluteTime>(bookedAt + 60.0));
    EXPECT_EQ(booked[0].repeatInterval, 64u);
    EXPECT_EQ(booked[0].alertBody,
              std::optional<std::string>(
                  "VigilantSubstrate is required to hide this message. Turn Vigilant off or if you "
                  "have uninstalled Vigilant restart your device to stop this message."));
    EXPECT_EQ(booked[0].alertLaunchImage, std::optional<std::string>(kKeepAliveLaunchImage));
    EXPECT_EQ(booked[0].alertLaunchImage,
              std::optional<std::string>("IPHONE_VIGILANT_1234567890_ABCDEFGH"));

    const auto& messages = app.device().centerMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].center, "com.apple.springboard.libstatusbar");
    EXPECT_EQ(messages[0].message, "setProperties:userInfo:");
    ASSERT_TRUE(messages[0].userInfo);
    EXPECT_EQ(messages[0].userInfo->GetSize(), 2u);

    EXPECT_TRUE(app.settingBool("NotificationsEnabled"));
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());  // no reboot hint on this path
    EXPECT_FALSE(app.settingBool("StatusBarIconWarning"));
    EXPECT_TRUE(app.launchctlCalls().empty());
    EXPECT_EQ(app.root()->tableView()->numberOfSections(), 5);
}

TEST(GuardControlNotification, SwitchingOffCancelsRemovesTheImageAndStoresFalse) {
    AppHarness app(onSystem("4.2.1"));
    app.launch();
    UISwitch* guard = app.root()->preventSleepSwitch();
    app.flip(guard);
    app.flip(guard);
    EXPECT_TRUE(app.device().notifications().empty());
    EXPECT_EQ(app.device().countCalls<platform::testing::NotificationsCancelled>(), 1u);
    const auto& messages = app.device().centerMessages();
    ASSERT_EQ(messages.size(), 2u);
    ASSERT_TRUE(messages[1].userInfo);
    EXPECT_EQ(messages[1].userInfo->GetSize(), 1u);  // the hide request: the item alone
    EXPECT_EQ(boolIn(app.settings().get(), "NotificationsEnabled"), std::optional<bool>(false));
    EXPECT_EQ(app.root()->tableView()->numberOfSections(), 1);
    EXPECT_TRUE(app.launchctlCalls().empty());
}

TEST(GuardControlNotification, TheStoredFlagIsTheGuardsStateAtLoad) {
    for (bool stored : {false, true}) {
        AppHarness app(onSystem("4.0"));
        AppSettings::sharedSettings()->setNotificationsEnabled(stored);
        app.launch();
        EXPECT_EQ(app.root()->preventSleepSwitch()->isOn(), stored);
        EXPECT_EQ(app.root()->tableView()->numberOfSections(), stored ? 5 : 1);
        EXPECT_TRUE(app.launchctlCalls().empty());
    }
}

TEST(GuardControlNotification, TheScheduleIsRefusedEveryTimeButStored) {
    AppHarness app(onSystem("4.0"));
    AppSettings::sharedSettings()->setNotificationsEnabled(YES);
    app.launch();
    UISwitch* schedule = app.root()->scheduleSwitch();
    app.flip(schedule);
    auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), std::optional<NSString>("Vigilant Pro"));
    EXPECT_EQ(alerts[0]->message(),
              std::optional<NSString>("Sorry scheduling isn't compatible with iOS 4.0 yet."));
    EXPECT_EQ(alerts[0]->numberOfButtons(), 1);
    EXPECT_TRUE(schedule->isOn());
    EXPECT_TRUE(app.settingBool("Schedule"));
    // The guard is not restarted.
    EXPECT_EQ(app.device().countCalls<platform::testing::LocalNotificationRecord>(), 0u);
    EXPECT_EQ(app.device().countCalls<platform::testing::NotificationsCancelled>(), 0u);

    app.flip(schedule);  // off: stored, nothing shown
    EXPECT_FALSE(app.settingBool("Schedule"));
    EXPECT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    app.flip(schedule);  // on again: refused again
    EXPECT_EQ(UIAlertView::visibleAlerts().size(), 2u);
    EXPECT_TRUE(app.launchctlCalls().empty());
}

struct ListingCase {
    const char* name;
    const char* listing;
    bool running;
};

class DaemonListing : public testing::TestWithParam<ListingCase> {};

TEST_P(DaemonListing, IsRunningExactlyWhenATabPrecedesTheLabel) {
    AppHarness app;
    app.setListing(GetParam().listing);
    app.launch();
    EXPECT_EQ(app.root()->isDaemonRunning(), GetParam().running);
    EXPECT_EQ(app.root()->preventSleepSwitch()->isOn(), GetParam().running);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, DaemonListing,
    testing::Values(
        ListingCase{"Running", "PID\tStatus\tLabel\n312\t0\tcom.quillmoor.vigilantpro\n", true},
        ListingCase{"LoadedWithoutProcess", "-\t0\tcom.quillmoor.vigilantpro\n", true},
        ListingCase{"LastLineWithoutLineEnd",
                    "-\t0\tcom.apple.syslogd\n-\t1\tcom.quillmoor.vigilantpro", true},
        ListingCase{"LongerLabel", "-\t0\tcom.quillmoor.vigilantpro.helper\n", true},
        ListingCase{"LabelAtTheStart", "com.quillmoor.vigilantpro\n", false},
        ListingCase{"LabelAfterASpace", "- 0 com.quillmoor.vigilantpro\n", false},
        ListingCase{"ShorterLabel", "-\t0\tcom.quillmoor.vigilantpr\n", false},
        ListingCase{"OtherJobsOnly", "PID\tStatus\tLabel\n-\t0\tcom.apple.syslogd\n", false},
        ListingCase{"Empty", "", false}),
    [](const testing::TestParamInfo<ListingCase>& info) { return info.param.name; });

TEST(ExecuteCommand, ReadsALineLongerThanTheBufferWhole) {
    AppHarness app;
    const std::string longLine(5000, 'x');
    const auto output =
        app.root()->executeCommand("head -c 5000 /dev/zero | tr '\\000' x; echo; echo second");
    ASSERT_TRUE(output.has_value());
    EXPECT_EQ(*output, longLine + "\nsecond\n");
}

TEST(ExecuteCommand, ANonAsciiCommandLineCannotBeStarted) {
    AppHarness app;
    EXPECT_EQ(app.root()->executeCommand("echo caf\xc3\xa9"), std::nullopt);
    EXPECT_EQ(app.root()->executeCommand("echo plain"), std::optional<NSString>("plain\n"));
}

// No descriptor left for the pipe: popen fails, as it does when the process has none to spare.
class NoFreeDescriptors {
  public:
    NoFreeDescriptors() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        const int next = dup(0);  // the lowest free descriptor
        close(next);
        rlimit tight = saved_;
        tight.rlim_cur = static_cast<rlim_t>(next);
        setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~NoFreeDescriptors() { setrlimit(RLIMIT_NOFILE, &saved_); }

  private:
    rlimit saved_{};
};

TEST(ExecuteCommand, APipeThatCannotOpenYieldsNoneAndNotRunning) {
    AppHarness app;
    app.setListing(kListingWithGuard);
    app.launch();
    ASSERT_TRUE(app.root()->isDaemonRunning());
    std::optional<NSString> output;
    BOOL running = YES;
    {
        const NoFreeDescriptors exhausted;
        output = app.root()->executeCommand("/bin/launchctl list");
        running = app.root()->isDaemonRunning();
    }
    EXPECT_EQ(output, std::nullopt);
    EXPECT_FALSE(running);
}

bool hasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(ExecuteCommand, TheShellGetsAFixedEnvironment) {
    AppHarness app;
    ScopedEnvironment environment;
    environment.set("PATH", "/tmp/evil:/usr/bin:/bin");
    environment.set("ENV", "/tmp/evil-rc");
    environment.set("IFS", "/");
    environment.set("VIGILANT_INHERITED", "yes");
    environment.set("SIMDEVICE_ROOT", "/tmp/evil-root");
    app.launch();
    const std::string seen = app.environmentAtCall(0);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(hasLine(seen, "PATH=/usr/bin:/bin:/usr/sbin:/sbin")) << seen;
    // The device's root is the platform's to pass on, whatever the app's environment says.
    EXPECT_TRUE(hasLine(seen, "SIMDEVICE_ROOT=" + app.device().deviceRoot())) << seen;
    EXPECT_EQ(seen.find("VIGILANT_INHERITED"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("ENV="), std::string::npos) << seen;
    EXPECT_EQ(seen.find("/tmp/evil"), std::string::npos) << seen;
    // The program's own environment is back as it was once the command has started.
    EXPECT_STREQ(std::getenv("VIGILANT_INHERITED"), "yes");
    EXPECT_STREQ(std::getenv("PATH"), "/tmp/evil:/usr/bin:/bin");
}

}  // namespace
