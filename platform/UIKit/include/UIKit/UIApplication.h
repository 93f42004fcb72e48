#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UIApplicationDelegate.h>
#include <UIKit/UILocalNotification.h>
#include <UIKit/UIResponder.h>

class UIApplication : public UIResponder {
  public:
    // A plain application object. Outside an application main loop it still reaches
    // SpringBoard for the status-bar image calls.
    UIApplication() = default;
    ~UIApplication() override = default;
    // The application of UIApplicationMain; a plain one when there is none.
    static UIApplication* sharedApplication();

    void addStatusBarImageNamed(const NSString& name);
    void removeStatusBarImageNamed(const NSString& name);

    // Books a copy of the notification with SpringBoard under the main bundle's identifier.
    void scheduleLocalNotification(const UILocalNotification& notification);
    void cancelAllLocalNotifications();

    // Hands the address to the system (the web browser). YES when someone took it.
    BOOL openURL(const NSString& url);

    // Not owned.
    UIApplicationDelegate* delegate() const { return delegate_; }
    void setDelegate(UIApplicationDelegate* delegate) { delegate_ = delegate; }

    // The main interface file connects the delegate through the outlet "delegate".
    BOOL setOutletNamed(const NSString& name, UIResponder* object) override {
        if (name != "delegate") return NO;
        auto* delegate = dynamic_cast<UIApplicationDelegate*>(object);
        if (object && !delegate) return NO;
        delegate_ = delegate;
        return YES;
    }

  private:
    UIApplicationDelegate* delegate_ = nullptr;
};

// Runs the application: builds it from the main interface file that Info.plist names
// (NSMainNibFile) and runs its event loop. A delegate class name, when given, names a
// registered class whose new object becomes the delegate. Returns the exit status.
int UIApplicationMain(int argc, char* argv[], const char* principalClassName,
                      const char* delegateClassName);
