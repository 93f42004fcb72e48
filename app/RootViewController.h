// The main screen: the guard switch, and while the guard is on a second section with the
// schedule switch and the daily window's times; the version below the table. It also runs
// the guard (launchd on iPhone OS 2 and 3, the keep-alive notification on later systems),
// opens the time picker and the help.
#pragma once

#include "TimeSelectViewControllerDelegate.h"

#include <UIKit/UIKit.h>

#include <optional>

class RootViewController : public UITableViewController, public TimeSelectViewControllerDelegate {
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

    // ---- the other screens
    void timeSelectViewControllerSave(TimeSelectViewController* controller) override;
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
};

// The guard is the launchd daemon on iPhone OS 2 and 3, the keep-alive notification on any
// other system. Asked afresh at every use.
bool VigilantUsesLaunchd();
