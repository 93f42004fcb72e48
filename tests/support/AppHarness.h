// The control app inside a unit test: the in-process test platform as the phone, the app's
// resources in its bundle, and the main interface file loaded as UIApplicationMain loads it,
// with animations off. A fake /bin/launchctl on the device root plays launchd.
#pragma once

#include <UIKit/UIKit.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RootViewController.h"
#include "TestPlatform.h"
#include "VigilantAppDelegate.h"

namespace apptest {

class AppHarness {
  public:
    struct Options {
        std::string systemVersion = "3.1.3";
        std::optional<std::string> bundleVersion = "2.1";
        std::optional<std::string> displayName = "Vigilant";
        bool installLaunchctl = true;
    };
    AppHarness() : AppHarness(Options{}) {}
    explicit AppHarness(const Options& options);
    ~AppHarness();

    platform::testing::TestPlatform& device() { return *device_; }

    // Loads MainWindow and launches: the window shows the main screen.
    void launch();
    VigilantAppDelegate* delegate() const { return delegate_; }
    UINavigationController* navigation() const;
    RootViewController* root() const;
    UIWindow* window() const { return delegate_ ? delegate_->window() : nullptr; }

    // ---- the fake launchctl: `list` prints the listing file; every call is logged with its
    // arguments, a copy of the settings file and the environment it got.
    void setListing(const std::string& listing);
    // The arguments of each launchctl call, in order ("load -w /System/...").
    std::vector<std::string> launchctlCalls() const;
    // The settings file as it was at call `index` (null when there was none).
    std::unique_ptr<PList::Dictionary> settingsAtCall(size_t index) const;
    // The environment call `index` ran with, one "NAME=value" a line.
    std::string environmentAtCall(size_t index) const;
    void removeLaunchctl();

    // Settings as the file holds them.
    std::unique_ptr<PList::Dictionary> settings() const { return device_->readSettings(); }
    bool settingBool(const std::string& key) const;
    std::optional<long long> settingInt(const std::string& key) const;

    // ---- working the screens as the user does
    // Flips the switch as a tap does: it changes and sends its action.
    static void flip(UISwitch* control);
    // Taps the row of the table: it is selected and the delegate told.
    static void tapRow(UITableView* table, NSUInteger section, NSUInteger row);
    // Triggers the bar button as a tap does.
    static void tap(UIBarButtonItem* item);
    UIViewController* topScreen() const;
    // The screen presented over the main screen's navigation stack, if any.
    UIViewController* modalScreen() const;

    // Serves Qt events until `condition` holds (or the deadline passes); returns it.
    static bool spinUntil(const std::function<bool()>& condition, int milliseconds = 10000);
    static void spin(int turns = 5);

  private:
    void installBundle(const Options& options);
    void installLaunchctl();
    std::unique_ptr<platform::testing::TestPlatform> device_;
    std::unique_ptr<QWidget> mainRoot_;
    std::vector<std::unique_ptr<UIResponder>> objects_;
    VigilantAppDelegate* delegate_ = nullptr;
};

// Copies the app's resources into `hostFolder`.
void copyResources(const std::string& hostFolder);

}  // namespace apptest
