// The screen that sets the daily window: a two-row table (start, end) and hour and minute
// wheels that edit the selected row's time. Save hands the four values to the delegate and
// closes the screen; cancel just closes it.
#pragma once

#include "EditorViewController.h"
#include "TimeSelectViewControllerDelegate.h"

#include <cstdint>

class TimeSelectViewController : public EditorViewController,
                                 public UITableViewDelegate,
                                 public UITableViewDataSource,
                                 public UIPickerViewDelegate,
                                 public UIPickerViewDataSource {
  public:
    explicit TimeSelectViewController(std::optional<NSString> nibName = std::nullopt,
                                      NSBundle* bundle = nullptr);

    UITableViewCell* minCell() const { return minCell_; }
    void setMinCell(UITableViewCell* cell) { minCell_ = cell; }
    UITableViewCell* maxCell() const { return maxCell_; }
    void setMaxCell(UITableViewCell* cell) { maxCell_ = cell; }
    UILabel* minLabel() const { return minLabel_; }
    void setMinLabel(UILabel* label) { minLabel_ = label; }
    UILabel* maxLabel() const { return maxLabel_; }
    void setMaxLabel(UILabel* label) { maxLabel_ = label; }
    UIPickerView* bedPickerView() const { return bedPickerView_; }
    void setBedPickerView(UIPickerView* picker) { bedPickerView_ = picker; }
    UITableView* bedTableView() const { return bedTableView_; }
    void setBedTableView(UITableView* table) { bedTableView_ = table; }

    int32_t startMinute() const { return startMinute_; }
    void setStartMinute(int32_t minute) { startMinute_ = minute; }
    int32_t startHour() const { return startHour_; }
    void setStartHour(int32_t hour) { startHour_ = hour; }
    int32_t endMinute() const { return endMinute_; }
    void setEndMinute(int32_t minute) { endMinute_ = minute; }
    int32_t endHour() const { return endHour_; }
    void setEndHour(int32_t hour) { endHour_ = hour; }
    // Not owned.
    TimeSelectViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(TimeSelectViewControllerDelegate* delegate) { delegate_ = delegate; }

    void viewWillAppear(BOOL animated) override;
    void viewDidUnload() override {}
    void didReceiveMemoryWarning() override { UIViewController::didReceiveMemoryWarning(); }

    NSInteger numberOfComponentsInPickerView(UIPickerView* pickerView) override;
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView* pickerView,
                                                NSInteger component) override;
    CGFloat pickerViewWidthForComponent(UIPickerView* pickerView, NSInteger component) override;
    std::optional<NSString> pickerViewTitleForRowForComponent(UIPickerView* pickerView,
                                                              NSInteger row,
                                                              NSInteger component) override;
    void pickerViewDidSelectRowInComponent(UIPickerView* pickerView, NSInteger row,
                                           NSInteger component) override;

    NSInteger numberOfSectionsInTableView(UITableView* tableView) override;
    NSInteger tableViewNumberOfRowsInSection(UITableView* tableView, NSInteger section) override;
    CGFloat tableViewHeightForRowAtIndexPath(UITableView* tableView,
                                             const NSIndexPath& indexPath) override;
    UITableViewCell* tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                    const NSIndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(UITableView* tableView,
                                          const NSIndexPath& indexPath) override;

    void refreshLabels();

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;

  protected:
    void save() override;

  private:
    // The wheels edit the start time while row 0 (or no row) is selected, else the end time.
    bool editingStart() const;
    void turnWheels(int32_t hour, int32_t minute, BOOL animated);

    UITableViewCell* minCell_ = nullptr;
    UITableViewCell* maxCell_ = nullptr;
    UILabel* minLabel_ = nullptr;
    UILabel* maxLabel_ = nullptr;
    UIPickerView* bedPickerView_ = nullptr;
    UITableView* bedTableView_ = nullptr;
    int32_t startMinute_ = 0;
    int32_t startHour_ = 0;
    int32_t endMinute_ = 0;
    int32_t endHour_ = 0;
    TimeSelectViewControllerDelegate* delegate_ = nullptr;
};
