// What reaches SpringBoard on the test platform: status-bar requests of all three routes,
// centre messages, local notifications and opened addresses. All are recorded, none shown.
#include "TestPlatform.h"

namespace platform::testing {

namespace {
constexpr const char* kLibStatusBarCenter = "com.apple.springboard.libstatusbar";
constexpr const char* kLibStatusBarMessage = "setProperties:userInfo:";
}  // namespace

bool TestPlatform::sendCenterMessage(const std::string& center, const std::string& message,
                                     const NSDictionary* userInfo) {
    if (!keepRecords_) return true;
    CenterMessage sent{center, message, {}, std::nullopt};
    if (userInfo) {
        const NSData xml = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
            *userInfo, NSPropertyListXMLFormat_v1_0, nullptr);
        sent.userInfoXml.assign(xml.bytes().begin(), xml.bytes().end());
        sent.userInfo = *userInfo;
    }
    centerMessages_.push_back(sent);
    // The libstatusbar service reads a payload with "properties" as a show, without as a hide.
    if (center != kLibStatusBarCenter || message != kLibStatusBarMessage || !userInfo) return true;
    const auto name = NSDynamicCast<NSString>(userInfo->objectForKey("item"));
    if (!name) return true;
    const bool show = static_cast<bool>(userInfo->objectForKey("properties"));
    statusBarRequests_.push_back({kRouteLibStatusBar, *name, show, 0, 0});
    return true;
}

void TestPlatform::applicationStatusBarImage(const std::string& name, bool show) {
    if (keepRecords_) statusBarRequests_.push_back({kRouteApplication, name, show, 0, 0});
}

void TestPlatform::springBoardStatusBarItem(mach_port_t port, const std::string& name, bool show,
                                            int flags) {
    if (keepRecords_)
        statusBarRequests_.push_back({kRouteSpringBoardServices, name, show, port, flags});
}

void TestPlatform::scheduleLocalNotification(const std::string& bundleIdentifier,
                                             const UILocalNotification& notification) {
    if (!keepRecords_) return;
    LocalNotificationRecord booked;
    booked.app = bundleIdentifier;
    if (auto date = notification.fireDate())
        booked.fireDate = date->timeIntervalSinceReferenceDate();
    booked.repeatInterval = notification.repeatInterval();
    booked.alertBody = notification.alertBody();
    booked.alertLaunchImage = notification.alertLaunchImage();
    notifications_.push_back(booked);
}

void TestPlatform::cancelAllLocalNotifications(const std::string& bundleIdentifier) {
    std::erase_if(notifications_,
                  [&](const LocalNotificationRecord& n) { return n.app == bundleIdentifier; });
}

bool TestPlatform::openURL(const std::string& url) {
    if (keepRecords_) openedURLs_.push_back(url);
    return openURLResult_;
}

}  // namespace platform::testing
