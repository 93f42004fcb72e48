#include "TimeSelectViewController.h"

#include <algorithm>
#include <cstdio>

namespace {
const UIClassRegistration<TimeSelectViewController> kRegistration("TimeSelectViewController");

NSString clockText(int32_t hour, int32_t minute) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    return text;
}
}  // namespace

TimeSelectViewController::TimeSelectViewController(std::optional<NSString> nibName,
                                                   NSBundle* bundle)
    : EditorViewController("Start & End", std::move(nibName), bundle) {}

void TimeSelectViewController::viewWillAppear(BOOL animated) {
    EditorViewController::viewWillAppear(animated);
    // A window stored by other means than this screen may lie outside the day; the wheels
    // cannot show that, so the screen edits (and would save) the nearest time they can.
    startHour_ = std::clamp(startHour_, 0, 23);
    startMinute_ = std::clamp(startMinute_, 0, 59);
    endHour_ = std::clamp(endHour_, 0, 23);
    endMinute_ = std::clamp(endMinute_, 0, 59);
    if (bedTableView_)
        bedTableView_->selectRowAtIndexPathAnimatedScrollPosition(
            NSIndexPath::indexPathForRowInSection(0, 0), NO, UITableViewScrollPositionNone);
    turnWheels(startHour_, startMinute_, NO);
    refreshLabels();
}

void TimeSelectViewController::turnWheels(int32_t hour, int32_t minute, BOOL animated) {
    if (!bedPickerView_) return;
    bedPickerView_->selectRowInComponentAnimated(hour, 0, animated);
    bedPickerView_->selectRowInComponentAnimated(minute, 1, animated);
}

NSInteger TimeSelectViewController::numberOfComponentsInPickerView(UIPickerView*) { return 2; }

NSInteger TimeSelectViewController::pickerViewNumberOfRowsInComponent(UIPickerView*,
                                                                      NSInteger component) {
    return component == 0 ? 24 : 60;
}

CGFloat TimeSelectViewController::pickerViewWidthForComponent(UIPickerView*, NSInteger) {
    return 60.0;
}

std::optional<NSString> TimeSelectViewController::pickerViewTitleForRowForComponent(
    UIPickerView*, NSInteger row, NSInteger component) {
    if (component != 0 && component != 1) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld", row);
    return NSString(text);
}

bool TimeSelectViewController::editingStart() const {
    const auto selected = bedTableView_ ? bedTableView_->indexPathForSelectedRow() : std::nullopt;
    return !selected || selected->row() == 0;
}

void TimeSelectViewController::pickerViewDidSelectRowInComponent(UIPickerView*, NSInteger row,
                                                                 NSInteger component) {
    const auto value = static_cast<int32_t>(row);
    if (component == 0) {
        (editingStart() ? startHour_ : endHour_) = value;
    } else if (component == 1) {
        (editingStart() ? startMinute_ : endMinute_) = value;
    }
    refreshLabels();
}

NSInteger TimeSelectViewController::numberOfSectionsInTableView(UITableView*) { return 1; }

NSInteger TimeSelectViewController::tableViewNumberOfRowsInSection(UITableView*, NSInteger) {
    return 2;
}

CGFloat TimeSelectViewController::tableViewHeightForRowAtIndexPath(UITableView*,
                                                                   const NSIndexPath&) {
    return 44.0;
}

UITableViewCell* TimeSelectViewController::tableViewCellForRowAtIndexPath(
    UITableView*, const NSIndexPath& indexPath) {
    if (indexPath.row() == 0) return minCell_;
    if (indexPath.row() == 1) return maxCell_;
    return nullptr;
}

void TimeSelectViewController::tableViewDidSelectRowAtIndexPath(UITableView*,
                                                                const NSIndexPath& indexPath) {
    if (indexPath.row() == 0)
        turnWheels(startHour_, startMinute_, YES);
    else if (indexPath.row() == 1)
        turnWheels(endHour_, endMinute_, YES);
}

void TimeSelectViewController::refreshLabels() {
    if (minLabel_) minLabel_->setText(clockText(startHour_, startMinute_));
    if (maxLabel_) maxLabel_->setText(clockText(endHour_, endMinute_));
}

void TimeSelectViewController::save() {
    if (delegate_) delegate_->timeSelectViewControllerSave(this);
}

BOOL TimeSelectViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "minCell", minCell_) ||
           UIConnectOutlet(name, object, "maxCell", maxCell_) ||
           UIConnectOutlet(name, object, "minLabel", minLabel_) ||
           UIConnectOutlet(name, object, "maxLabel", maxLabel_) ||
           UIConnectOutlet(name, object, "bedPickerView", bedPickerView_) ||
           UIConnectOutlet(name, object, "bedTableView", bedTableView_) ||
           EditorViewController::setOutletNamed(name, object);
}
