#include "AppHarness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "NibLoader.h"
#include "ReadWhole.h"
#include "Support.h"

namespace apptest {
namespace fs = std::filesystem;

void copyResources(const std::string& hostFolder) {
    fs::create_directories(hostFolder);
    for (const auto& entry : fs::directory_iterator(VIGILANT_APP_RESOURCES))
        fs::copy_file(entry.path(), fs::path(hostFolder) / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
}

AppHarness::AppHarness(const Options& options)
    : device_(std::make_unique<platform::testing::TestPlatform>()) {
    UIView::setAnimationsEnabled(NO);
    device_->setSystemVersion(options.systemVersion);
    installBundle(options);
    if (options.installLaunchctl) installLaunchctl();
    setListing("PID\tStatus\tLabel\n-\t0\tcom.apple.syslogd\n");
}

AppHarness::~AppHarness() {
    uikit::discardAlerts();
    UIApplication::sharedApplication()->setDelegate(nullptr);
    for (auto& object : objects_) object.reset();
    mainRoot_.reset();
    spin();
    device_.reset();
}

void AppHarness::installBundle(const Options& options) {
    const std::string bundle = platform::testing::TestPlatform::kDefaultBundlePath;
    copyResources(device_->hostPathOf(bundle));
    NSDictionary info;
    info.setObjectForKey(platform::testing::TestPlatform::kDefaultBundleIdentifier,
                         "CFBundleIdentifier");
    info.setObjectForKey("VigilantPro", "CFBundleExecutable");
    info.setObjectForKey("MainWindow", "NSMainNibFile");
    if (options.bundleVersion) info.setObjectForKey(*options.bundleVersion, "CFBundleVersion");
    std::optional<NSDictionary> localized;
    if (options.displayName) {
        localized.emplace();
        localized->setObjectForKey(*options.displayName, "CFBundleDisplayName");
    }
    NSBundle::setMainBundle(bundle, std::move(info), std::move(localized));
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
}

void AppHarness::installLaunchctl() {
    const std::string root = device_->deviceRoot();
    fs::create_directories(root + "/bin");
    fs::create_directories(root + "/launchctl-log");
    const std::string script = root + "/bin/launchctl";
    std::ofstream out(script);
    out << "#!/bin/sh\n"
        << "log=" << root << "/launchctl-log\n"
        << "n=$(ls \"$log\" | grep -c '^args-')\n"
        << "printf '%s' \"$*\" > \"$log/args-$n\"\n"
        << "env > \"$log/env-$n\"\n"
        << "cp '" << device_->hostPathOf(device_->settingsDevicePath()) << "' \"$log/settings-$n\""
        << " 2>/dev/null\n"
        << "if [ \"$1\" = list ]; then cat " << root << "/listing; fi\n";
    out.close();
    fs::permissions(script, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

void AppHarness::removeLaunchctl() { fs::remove(device_->deviceRoot() + "/bin/launchctl"); }

void AppHarness::setListing(const std::string& listing) {
    std::ofstream(device_->deviceRoot() + "/listing") << listing;
}

std::vector<std::string> AppHarness::launchctlCalls() const {
    std::vector<std::string> calls;
    for (size_t n = 0;; ++n) {
        std::ifstream in(device_->deviceRoot() + "/launchctl-log/args-" + std::to_string(n));
        if (!in) break;
        std::stringstream text;
        text << in.rdbuf();
        calls.push_back(text.str());
    }
    return calls;
}

std::unique_ptr<PList::Dictionary> AppHarness::settingsAtCall(size_t index) const {
    return device_->readDictionary("/launchctl-log/settings-" + std::to_string(index));
}

std::string AppHarness::environmentAtCall(size_t index) const {
    return readWhole(device_->deviceRoot() + "/launchctl-log/env-" + std::to_string(index));
}

bool AppHarness::settingBool(const std::string& key) const {
    const auto dict = settings();
    return dict && platform::testing::settingBoolean(*dict, key).value_or(false);
}

std::optional<long long> AppHarness::settingInt(const std::string& key) const {
    const auto dict = settings();
    return dict ? platform::testing::settingInteger(*dict, key) : std::nullopt;
}

void AppHarness::launch() {
    UIApplication* application = UIApplication::sharedApplication();
    uikit::Nib nib = uikit::loadNib("MainWindow", nullptr, application);
    ASSERT_TRUE(nib.root) << "MainWindow.ui did not load";
    mainRoot_.reset(nib.root);
    objects_ = std::move(nib.objects);
    delegate_ = dynamic_cast<VigilantAppDelegate*>(application->delegate());
    ASSERT_TRUE(delegate_) << "MainWindow.ui names no VigilantAppDelegate";
    delegate_->applicationDidFinishLaunching(application);
    spin();
}

UINavigationController* AppHarness::navigation() const {
    return delegate_ ? delegate_->navigationController() : nullptr;
}

RootViewController* AppHarness::root() const {
    auto* nav = navigation();
    return nav ? dynamic_cast<RootViewController*>(nav->viewControllers().front()) : nullptr;
}

void AppHarness::flip(UISwitch* control) {
    ASSERT_NE(control, nullptr);
    auto* button = qobject_cast<QAbstractButton*>(control->widget());
    ASSERT_NE(button, nullptr);
    button->click();
    spin();
}

void AppHarness::tapRow(UITableView* table, NSUInteger section, NSUInteger row) {
    ASSERT_NE(table, nullptr);
    table->tapRowAtIndexPath(NSIndexPath::indexPathForRowInSection(row, section));
    spin();
}

void AppHarness::tap(UIBarButtonItem* item) {
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->qtAction(), nullptr);
    item->qtAction()->trigger();
    spin();
}

UIViewController* AppHarness::topScreen() const {
    auto* nav = navigation();
    return nav ? nav->topViewController() : nullptr;
}

UIViewController* AppHarness::modalScreen() const {
    auto* nav = navigation();
    return nav ? nav->modalViewController() : nullptr;
}

bool AppHarness::spinUntil(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

void AppHarness::spin(int turns) {
    for (int i = 0; i < turns; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace apptest
