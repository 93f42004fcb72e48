#include <UIKit/UIKit.h>
#include <backend/Backend.h>

UIDevice& UIDevice::currentDevice() {
    static UIDevice device;
    return device;
}

NSString UIDevice::systemVersion() const { return platform::filesService().systemVersion(); }

UIApplication* UIApplication::sharedApplication() {
    static UIApplication application;  // replaced by the one UIApplicationMain runs
    return &application;
}

void UIApplication::addStatusBarImageNamed(const NSString& name) {
    platform::springBoardService().applicationStatusBarImage(name, true);
}

void UIApplication::removeStatusBarImageNamed(const NSString& name) {
    platform::springBoardService().applicationStatusBarImage(name, false);
}

void UIApplication::scheduleLocalNotification(const UILocalNotification& notification) {
    platform::NotificationRequest request;
    if (auto date = notification.fireDate())
        request.fireDate = date->timeIntervalSinceReferenceDate();
    request.repeatInterval = static_cast<unsigned long>(notification.repeatInterval());
    request.alertBody = notification.alertBody();
    request.alertLaunchImage = notification.alertLaunchImage();
    platform::springBoardService().scheduleLocalNotification(
        NSBundle::mainBundle().bundleIdentifier().value_or(""), request);
}

void UIApplication::cancelAllLocalNotifications() {
    platform::springBoardService().cancelAllLocalNotifications(
        NSBundle::mainBundle().bundleIdentifier().value_or(""));
}

BOOL UIApplication::openURL(const NSString& url) {
    return platform::springBoardService().openURL(url);
}
