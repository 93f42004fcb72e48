#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UILocalNotification.h>

class UIApplication {
public:
    // A plain application object. Outside an application main loop it still reaches
    // SpringBoard for the status-bar image calls.
    UIApplication() = default;
    virtual ~UIApplication() = default;
    // The application of UIApplicationMain; a plain one when there is none.
    static UIApplication* sharedApplication();

    void addStatusBarImageNamed(const NSString& name);
    void removeStatusBarImageNamed(const NSString& name);

    // Books a copy of the notification with SpringBoard under the main bundle's identifier.
    void scheduleLocalNotification(const UILocalNotification& notification);
    void cancelAllLocalNotifications();

    // Hands the address to the system (the web browser). YES when someone took it.
    BOOL openURL(const NSString& url);
};

// Runs the application: builds it from the main interface file that Info.plist names and
// runs its event loop. Returns the exit status.
int UIApplicationMain(int argc, char* argv[], const char* principalClassName,
                      const char* delegateClassName);
