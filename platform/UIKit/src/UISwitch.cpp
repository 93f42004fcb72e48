#include <UIKit/UISwitch.h>

#include "SwitchWidget.h"

namespace {
uikit::SwitchWidget* switchWidget(const UIView* view) {
    return static_cast<uikit::SwitchWidget*>(view->widget());
}
}  // namespace

UISwitch::UISwitch(const CGRect& frame) : UIControl(new uikit::SwitchWidget) {
    const CGSize size{94, 27};  // a switch keeps its own size, as on the phone
    setFrame(CGRectMake(frame.origin.x, frame.origin.y, size.width, size.height));
    // Only a flip by the user reports; setOn does not.
    QObject::connect(switchWidget(this), &QAbstractButton::clicked, switchWidget(this),
                     [this] { sendActionsForControlEvents(UIControlEventValueChanged); });
}

BOOL UISwitch::isOn() const { return widget() && switchWidget(this)->isChecked(); }

void UISwitch::setOnAnimated(BOOL on, BOOL animated) {
    if (!widget()) return;
    auto* w = switchWidget(this);
    {
        const QSignalBlocker quiet(w);
        w->setChecked(on);
    }
    w->follow(animated && UIView::areAnimationsEnabled());
}
