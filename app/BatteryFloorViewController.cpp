#include "BatteryFloorViewController.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
const UIClassRegistration<BatteryFloorViewController> kRegistration("BatteryFloorViewController");

constexpr auto& kLevels = BatteryFloorViewController::kLevels;

NSInteger nearestRow(int percent) {
    const auto nearest = std::min_element(kLevels.begin(), kLevels.end(), [percent](int a, int b) {
        return std::abs(a - percent) < std::abs(b - percent);
    });
    return nearest - kLevels.begin();
}
}  // namespace

NSString BatteryFloorViewController::levelText(int percent) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", percent);
    return text;
}

BatteryFloorViewController::BatteryFloorViewController(std::optional<NSString> nibName,
                                                       NSBundle* bundle)
    : UIViewController(std::move(nibName), bundle) {}

void BatteryFloorViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    navigationItem().setTitle("Spare Battery");
    navigationItem().setLeftBarButtonItem(cancelButton_);
    navigationItem().setRightBarButtonItem(saveButton_);
}

void BatteryFloorViewController::viewWillAppear(BOOL animated) {
    UIViewController::viewWillAppear(animated);
    const NSInteger row = nearestRow(floor_);
    floor_ = kLevels[static_cast<size_t>(row)];
    if (floorPickerView_) floorPickerView_->selectRowInComponentAnimated(row, 0, NO);
}

NSInteger BatteryFloorViewController::numberOfComponentsInPickerView(UIPickerView*) { return 1; }

NSInteger BatteryFloorViewController::pickerViewNumberOfRowsInComponent(UIPickerView*,
                                                                        NSInteger component) {
    return component == 0 ? static_cast<NSInteger>(kLevels.size()) : 0;
}

CGFloat BatteryFloorViewController::pickerViewWidthForComponent(UIPickerView*, NSInteger) {
    return 100.0;
}

std::optional<NSString> BatteryFloorViewController::pickerViewTitleForRowForComponent(
    UIPickerView*, NSInteger row, NSInteger component) {
    if (component != 0 || row < 0 || row >= static_cast<NSInteger>(kLevels.size()))
        return std::nullopt;
    return levelText(kLevels[static_cast<size_t>(row)]);
}

void BatteryFloorViewController::pickerViewDidSelectRowInComponent(UIPickerView*, NSInteger row,
                                                                   NSInteger component) {
    if (component != 0 || row < 0 || row >= static_cast<NSInteger>(kLevels.size())) return;
    floor_ = kLevels[static_cast<size_t>(row)];
}

void BatteryFloorViewController::saveTapped(UIResponder*) {
    if (delegate_) delegate_->batteryFloorViewControllerSave(this);
    if (UINavigationController* navigation = navigationController())
        navigation->popViewControllerAnimated(YES);
}

void BatteryFloorViewController::cancelTapped(UIResponder*) {
    if (UINavigationController* navigation = navigationController())
        navigation->popViewControllerAnimated(YES);
}

BOOL BatteryFloorViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "floorPickerView", floorPickerView_) ||
           UIConnectOutlet(name, object, "saveButton", saveButton_) ||
           UIConnectOutlet(name, object, "cancelButton", cancelButton_) ||
           UIViewController::setOutletNamed(name, object);
}

UIAction BatteryFloorViewController::actionNamed(const NSString& name) {
    using C = BatteryFloorViewController;
    if (auto a = UIBindAction(name, "saveTapped", this, &C::saveTapped)) return a;
    if (auto a = UIBindAction(name, "cancelTapped", this, &C::cancelTapped)) return a;
    return UIViewController::actionNamed(name);
}
