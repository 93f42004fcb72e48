// The screen that sets the battery floor: one wheel of the levels offered (10 to 50 %). Save
// hands the chosen level to the delegate and closes the screen; cancel just closes it.
#pragma once

#include "BatteryFloorViewControllerDelegate.h"
#include "EditorViewController.h"

#include <array>

class BatteryFloorViewController : public EditorViewController,
                                   public UIPickerViewDelegate,
                                   public UIPickerViewDataSource {
  public:
    static constexpr std::array<int, 5> kLevels{10, 20, 30, 40, 50};
    // "20%".
    static NSString levelText(int percent);

    explicit BatteryFloorViewController(std::optional<NSString> nibName = std::nullopt,
                                        NSBundle* bundle = nullptr);

    UIPickerView* floorPickerView() const { return floorPickerView_; }
    // Percent; a level not offered shows (and saves) the nearest one offered.
    int floor() const { return floor_; }
    void setFloor(int percent) { floor_ = percent; }
    // Not owned.
    void setDelegate(BatteryFloorViewControllerDelegate* delegate) { delegate_ = delegate; }

    void viewWillAppear(BOOL animated) override;

    NSInteger numberOfComponentsInPickerView(UIPickerView* pickerView) override;
    NSInteger pickerViewNumberOfRowsInComponent(UIPickerView* pickerView,
                                                NSInteger component) override;
    CGFloat pickerViewWidthForComponent(UIPickerView* pickerView, NSInteger component) override;
    std::optional<NSString> pickerViewTitleForRowForComponent(UIPickerView* pickerView,
                                                              NSInteger row,
                                                              NSInteger component) override;
    void pickerViewDidSelectRowInComponent(UIPickerView* pickerView, NSInteger row,
                                           NSInteger component) override;

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;

  protected:
    void save() override;

  private:
    UIPickerView* floorPickerView_ = nullptr;
    int floor_ = 20;
    BatteryFloorViewControllerDelegate* delegate_ = nullptr;
};
