// Wheels of rows (hours and minutes, for example). The data source gives the wheels and their
// rows, the delegate their titles and widths and hears about the rows the user turns to.
#pragma once

#include <UIKit/UIView.h>

#include <optional>

class UIPickerView;

class UIPickerViewDataSource {
  public:
    virtual ~UIPickerViewDataSource() = default;
    virtual NSInteger numberOfComponentsInPickerView(UIPickerView* pickerView) = 0;
    virtual NSInteger pickerViewNumberOfRowsInComponent(UIPickerView* pickerView,
                                                        NSInteger component) = 0;
};

class UIPickerViewDelegate {
  public:
    virtual ~UIPickerViewDelegate() = default;
    virtual CGFloat pickerViewWidthForComponent(UIPickerView* pickerView, NSInteger component) {
        (void)pickerView;
        (void)component;
        return 100.0;
    }
    // Null: the row shows no title.
    virtual std::optional<NSString> pickerViewTitleForRowForComponent(UIPickerView* pickerView,
                                                                      NSInteger row,
                                                                      NSInteger component) {
        (void)pickerView;
        (void)component;
        return std::to_string(row);
    }
    virtual void pickerViewDidSelectRowInComponent(UIPickerView* pickerView, NSInteger row,
                                                   NSInteger component) {
        (void)pickerView;
        (void)row;
        (void)component;
    }
};

namespace uikit {
class PickerWidget;
}

class UIPickerView : public UIView {
  public:
    explicit UIPickerView(const CGRect& frame = CGRectMake(0, 0, 320, 216));
    ~UIPickerView() override;

    UIPickerViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(UIPickerViewDataSource* dataSource);
    UIPickerViewDelegate* delegate() const { return delegate_; }
    void setDelegate(UIPickerViewDelegate* delegate);

    void reloadAllComponents();
    NSInteger numberOfComponents() const;
    NSInteger numberOfRowsInComponent(NSInteger component) const;
    // The row of the wheel; -1 when the wheel has no rows.
    NSInteger selectedRowInComponent(NSInteger component) const;
    // Turns the wheel (a row outside the wheel is brought inside it); the delegate is not told.
    void selectRowInComponentAnimated(NSInteger row, NSInteger component, BOOL animated);
    // The title the wheel shows for the row.
    std::optional<NSString> titleForRowInComponent(NSInteger row, NSInteger component) const;

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;

    // ---- the user-interface layer
    // The user turns the wheel to the row: it moves there and the delegate is told.
    void userSelectRowInComponent(NSInteger row, NSInteger component);
    uikit::PickerWidget* pickerWidget() const;

  private:
    UIPickerViewDataSource* dataSource_ = nullptr;
    UIPickerViewDelegate* delegate_ = nullptr;
};
