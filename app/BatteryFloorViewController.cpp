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
    : EditorViewController("Spare Battery", std::move(nibName), bundle) {}

void BatteryFloorViewController::viewWillAppear(BOOL animated) {
    EditorViewController::viewWillAppear(animated);
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

void BatteryFloorViewController::save() {
    if (delegate_) delegate_->batteryFloorViewControllerSave(this);
}

BOOL BatteryFloorViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "floorPickerView", floorPickerView_) ||
           EditorViewController::setOutletNamed(name, object);
}
