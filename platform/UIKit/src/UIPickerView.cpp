#include <UIKit/UIPickerView.h>
#include <backend/Probes.h>

#include "PickerWidget.h"

UIPickerView::UIPickerView(const CGRect& frame) : UIView(new uikit::PickerWidget(this)) {
    setFrame(frame);
}

UIPickerView::~UIPickerView() = default;

uikit::PickerWidget* UIPickerView::pickerWidget() const {
    return static_cast<uikit::PickerWidget*>(widget());
}

void UIPickerView::setDataSource(UIPickerViewDataSource* dataSource) { dataSource_ = dataSource; }
void UIPickerView::setDelegate(UIPickerViewDelegate* delegate) { delegate_ = delegate; }

void UIPickerView::reloadAllComponents() {
    if (widget()) pickerWidget()->rebuild();
}

NSInteger UIPickerView::numberOfComponents() const {
    if (!widget()) return 0;
    pickerWidget()->ensureBuilt();
    return pickerWidget()->wheels();
}

NSInteger UIPickerView::numberOfRowsInComponent(NSInteger component) const {
    if (!widget()) return 0;
    pickerWidget()->ensureBuilt();
    return pickerWidget()->rows(static_cast<int>(component));
}

NSInteger UIPickerView::selectedRowInComponent(NSInteger component) const {
    if (!widget()) return -1;
    pickerWidget()->ensureBuilt();
    return pickerWidget()->selected(static_cast<int>(component));
}

void UIPickerView::selectRowInComponentAnimated(NSInteger row, NSInteger component, BOOL animated) {
    platform::probe::report([&] {
        return platform::probe::PickerRowSelected{static_cast<long>(row),
                                                  static_cast<long>(component), bool(animated)};
    });
    if (widget())
        pickerWidget()->select(static_cast<int>(component), static_cast<int>(row), animated);
}

std::optional<NSString> UIPickerView::titleForRowInComponent(NSInteger row,
                                                             NSInteger component) const {
    if (!widget() || row < 0 || row >= numberOfRowsInComponent(component)) return std::nullopt;
    return pickerWidget()->title(static_cast<int>(component), static_cast<int>(row)).toStdString();
}

void UIPickerView::userSelectRowInComponent(NSInteger row, NSInteger component) {
    if (!widget() || row < 0 || row >= numberOfRowsInComponent(component)) return;
    if (selectedRowInComponent(component) != row) {
        pickerWidget()->select(static_cast<int>(component), static_cast<int>(row), true);
    }
    if (delegate_) delegate_->pickerViewDidSelectRowInComponent(this, row, component);
}

BOOL UIPickerView::setOutletNamed(const NSString& name, UIResponder* object) {
    if (name == "dataSource") {
        auto* source = dynamic_cast<UIPickerViewDataSource*>(object);
        if (object && !source) return NO;
        dataSource_ = source;
        return YES;
    }
    if (name == "delegate") {
        auto* delegate = dynamic_cast<UIPickerViewDelegate*>(object);
        if (object && !delegate) return NO;
        delegate_ = delegate;
        return YES;
    }
    return UIView::setOutletNamed(name, object);
}
