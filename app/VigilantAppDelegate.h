// The application delegate: puts the navigation stack on the window at launch. The main
// interface file makes it, the window and the navigation stack, and connects them.
#pragma once

#include <UIKit/UIKit.h>

class VigilantAppDelegate : public UIResponder, public UIApplicationDelegate {
  public:
    void applicationDidFinishLaunching(UIApplication* application) override;

    // The interface file owns both; they live as long as the process.
    UIWindow* window() const { return window_; }
    void setWindow(UIWindow* window) { window_ = window; }
    UINavigationController* navigationController() const { return navigationController_; }
    void setNavigationController(UINavigationController* controller) {
        navigationController_ = controller;
    }

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;

  private:
    UIWindow* window_ = nullptr;
    UINavigationController* navigationController_ = nullptr;
};
