// The main screen: the guard switch, and while the guard is on a second section with the
// schedule switch and the daily window's times and a third with the battery floor (its switch,
// the floor while it is on, and a footnote row saying what it does) and a last one with the
// guard's status line (where it stands, what it did last night); the version below the
// table. It also runs the guard (launchd on iPhone OS 2 and 3, the keep-alive notification on
// later systems), opens the time picker, the floor picker and the help.
#pragma once

#include "BatteryFloorViewControllerDelegate.h"
#include "GuardJournal.h"
#include "TimeSelectViewControllerDelegate.h"

#include <UIKit/UIKit.h>

#include <memory>
#include <optional>

class RootViewController : public UITableViewController,
                           public TimeSelectViewControllerDelegate,
                           public BatteryFloorViewControllerDelegate {
  public:
    explicit RootViewController(std::optional<NSString> nibName = std::nullopt,
                                NSBundle* bundle = nullptr);

    // ---- the table
    NSInteger numberOfSectionsInTableView(UITableView* tableView) override;
    NSInteger tableViewNumberOfRowsInSection(UITableView* tableView, NSInteger section) override;
    UITableViewCell* tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                    const NSIndexPath& indexPath) override;
    CGFloat tableViewHeightForRowAtIndexPath(UITableView* tableView,
                                             const NSIndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(UITableView* tableView,
                                          const NSIndexPath& indexPath) override;
    void viewDidLoad() override;
    void viewWillAppear(BOOL animated) override;
    void viewWillDisappear(BOOL animated) override;
    ~RootViewController() override;
    void updateFooter();

    // ---- the guard
    void startDaemon();
    void stopDaemon();
    void restartDaemon();
    BOOL isDaemonRunning();
    // The command's standard output; null when the command cannot be started.
    std::optional<NSString> executeCommand(const NSString& command);
    void preventSleepSwitched(UIResponder* sender);
    void scheduleSwitched(UIResponder* sender);
    void batterySwitched(UIResponder* sender);

    // ---- the other screens
    void timeSelectViewControllerSave(TimeSelectViewController* controller) override;
    void batteryFloorViewControllerSave(BatteryFloorViewController* controller) override;
    // "Lets the phone sleep below 20% unless it is charging.", with the floor shown.
    static NSString batteryFooterText(int percent);
    void helpTapped(UIResponder* sender);

    // ---- outlets, connected by the main screen's interface file
    UITableViewCell* preventSleepCell() const { return preventSleepCell_; }
    UISwitch* preventSleepSwitch() const { return preventSleepSwitch_; }
    UITableViewCell* scheduleCell() const { return scheduleCell_; }
    UITableViewCell* chooseScheduleCell() const { return chooseScheduleCell_; }
    UISwitch* scheduleSwitch() const { return scheduleSwitch_; }
    UILabel* startLabel() const { return startLabel_; }
    UILabel* endLabel() const { return endLabel_; }
    UILabel* footerLabel() const { return footerLabel_; }
    UITableViewCell* batteryCell() const { return batteryCell_; }
    UISwitch* batterySwitch() const { return batterySwitch_; }
    UITableViewCell* batteryFloorCell() const { return batteryFloorCell_; }
    UILabel* batteryFloorLabel() const { return batteryFloorLabel_; }
    UITableViewCell* batteryFooterCell() const { return batteryFooterCell_; }
    UILabel* batteryFooterLabel() const { return batteryFooterLabel_; }
    UITableViewCell* statusCell() const { return statusCell_; }
    UILabel* statusLabel() const { return statusLabel_; }
    // Says afresh where the guard stands and what it did last; the status timer calls it.
    void refreshStatus(NSTimer* timer = nullptr);

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;
    UIAction actionNamed(const NSString& name) override;

  private:
    UITableViewCell* preventSleepCell_ = nullptr;
    UISwitch* preventSleepSwitch_ = nullptr;
    UITableViewCell* scheduleCell_ = nullptr;
    UITableViewCell* chooseScheduleCell_ = nullptr;
    UISwitch* scheduleSwitch_ = nullptr;
    UILabel* startLabel_ = nullptr;
    UILabel* endLabel_ = nullptr;
    UILabel* footerLabel_ = nullptr;
    UITableViewCell* batteryCell_ = nullptr;
    UISwitch* batterySwitch_ = nullptr;
    UITableViewCell* batteryFloorCell_ = nullptr;
    UILabel* batteryFloorLabel_ = nullptr;
    UITableViewCell* batteryFooterCell_ = nullptr;
    UILabel* batteryFooterLabel_ = nullptr;
    UITableViewCell* statusCell_ = nullptr;
    UILabel* statusLabel_ = nullptr;
    // Two lines of footnote at least, so that the table does not jump between the usual lines.
    static constexpr CGFloat kStatusRowMinimumHeight = 60.0;
    CGFloat statusRowHeight_ = kStatusRowMinimumHeight;
    CGFloat statusRowHeightFor(const UILabel& label);
    // The guard's journal as last read, and its periods.
    std::optional<NSData> journalBytes_;
    std::vector<GuardPeriod> journalPeriods_;
    // Runs while the screen is shown; the run loop owns it, we end it.
    NSTimer* statusTimer_ = nullptr;
    std::shared_ptr<RootViewController*> alive_ = std::make_shared<RootViewController*>(this);

    // The floor the screen shows: the stored one, or the one switching on would set.
    int shownBatteryFloor() const;
    void refreshBatteryLabels();
    void openBatteryFloorPicker();
};

// The sections shown while the guard is on, after the guard's own: the window, the battery and
// the battery's footnote, the status line.
inline constexpr NSUInteger kScheduleSection = 1;
inline constexpr NSUInteger kBatterySection = 2;
inline constexpr NSUInteger kBatteryFooterSection = 3;
inline constexpr NSUInteger kStatusSection = 4;
// The status line says minutes ("in 3 h 12 min"), so it must change with the clock's minute. It
// is worked out again every ten seconds, not every minute: a timer counts the process's time,
// which stops while the phone sleeps, and a minute's timer would go on showing the evening's
// "Next window" for up to a minute after the wake-up at the window's start.
inline constexpr NSTimeInterval kStatusRefreshInterval = 10.0;

// The guard is the launchd daemon on iPhone OS 2 and 3, the keep-alive notification on any
// other system. Asked afresh at every use.
bool VigilantUsesLaunchd();
