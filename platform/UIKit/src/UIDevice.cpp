#include <UIKit/UIKit.h>
#include <backend/Backend.h>

UIDevice& UIDevice::currentDevice() {
    static UIDevice device;
    return device;
}

NSString UIDevice::systemVersion() const {
    platform::backend().record("UIDevice.systemVersion()");
    return platform::backend().systemVersion();
}

UIApplication* UIApplication::sharedApplication() {
    static UIApplication application;  // replaced by the one UIApplicationMain runs
    return &application;
}

void UIApplication::addStatusBarImageNamed(const NSString& name) {
    platform::backend().record("UIApplication.addStatusBarImageNamed(" + name + ")");
    platform::backend().applicationStatusBarImage(name, true);
}

void UIApplication::removeStatusBarImageNamed(const NSString& name) {
    platform::backend().record("UIApplication.removeStatusBarImageNamed(" + name + ")");
    platform::backend().applicationStatusBarImage(name, false);
}

void UIApplication::scheduleLocalNotification(const UILocalNotification& notification) {
    platform::backend().record(
        "UIApplication.scheduleLocalNotification(" +
        (notification.fireDate() ? notification.fireDate()->description() : "nil") + ", " +
        std::to_string(notification.repeatInterval()) + ", " +
        notification.alertBody().value_or("nil") + ", " +
        notification.alertLaunchImage().value_or("nil") + ")");
    platform::backend().scheduleLocalNotification(
        NSBundle::mainBundle().bundleIdentifier().value_or(""), notification);
}

void UIApplication::cancelAllLocalNotifications() {
    platform::backend().record("UIApplication.cancelAllLocalNotifications()");
    platform::backend().cancelAllLocalNotifications(
        NSBundle::mainBundle().bundleIdentifier().value_or(""));
}

BOOL UIApplication::openURL(const NSString& url) {
    platform::backend().record("UIApplication.openURL(" + url + ")");
    return platform::backend().openURL(url);
}
