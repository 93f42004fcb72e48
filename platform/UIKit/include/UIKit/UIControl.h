// A view that sends action messages to its targets when the user works it.
#pragma once

#include <UIKit/UIView.h>

#include <vector>

enum UIControlEvents : NSUInteger {
    UIControlEventTouchUpInside = 1 << 6,
    UIControlEventValueChanged = 1 << 12,
};

class UIControl : public UIView {
  public:
    explicit UIControl(const CGRect& frame = CGRectZero);
    ~UIControl() override;

    // The target is not owned; the action is looked up by name on the target at each send.
    void addTargetActionForControlEvents(UIResponder* target, const NSString& action,
                                         UIControlEvents events);
    void removeTargetActionForControlEvents(UIResponder* target, const NSString& action,
                                            UIControlEvents events);
    void sendActionsForControlEvents(UIControlEvents events);
    BOOL isEnabled() const;
    void setEnabled(BOOL enabled);

  protected:
    explicit UIControl(QWidget* widget);

  private:
    struct Target {
        UIResponder* target;
        NSString action;
        UIControlEvents events;
    };
    std::vector<Target> targets_;
};
