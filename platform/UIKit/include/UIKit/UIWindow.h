// The application's window: 320 points wide like the phone's screen, with the device's status
// bar across its top. Views added to the window fill the area below the status bar.
#pragma once

#include <UIKit/UIView.h>

class UIWindow : public UIView {
  public:
    explicit UIWindow(const CGRect& frame = CGRectMake(0, 0, 320, 480));
    ~UIWindow() override;

    void addSubview(UIView* view) override;
    using UIView::addSubview;
    void makeKeyAndVisible();
    BOOL isKeyWindow() const;
    static UIWindow* keyWindow();
    // The part of the window below the status bar, in window coordinates.
    CGRect contentFrame() const;
};
