#include <UIKit/UIControl.h>

#include <QWidget>
#include <algorithm>

UIControl::UIControl(const CGRect& frame) : UIView(frame) {}
UIControl::UIControl(QWidget* widget) : UIView(widget) {}
UIControl::~UIControl() = default;

void UIControl::addTargetActionForControlEvents(UIResponder* target, const NSString& action,
                                                UIControlEvents events) {
    targets_.push_back(Target{target, action, events});
}

void UIControl::removeTargetActionForControlEvents(UIResponder* target, const NSString& action,
                                                   UIControlEvents events) {
    std::erase_if(targets_, [&](const Target& t) {
        return t.target == target && t.action == action && (t.events & events);
    });
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
    // A handler may add or remove targets; send to those registered when the event came.
    const auto targets = targets_;
    for (const Target& t : targets) {
        if (!(t.events & events) || !t.target) continue;
        if (UIAction action = t.target->actionNamed(t.action)) action(this);
    }
}

BOOL UIControl::isEnabled() const { return widget() && widget()->isEnabled(); }

void UIControl::setEnabled(BOOL enabled) {
    if (widget()) widget()->setEnabled(enabled);
}
