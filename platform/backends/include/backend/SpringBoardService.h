// The SpringBoard service: the status bar by the application object's and SpringBoardServices'
// routes, local notifications, the distributed messaging centres and opened addresses.
#pragma once

#include <plist/plist++.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A local notification as the application hands it over.
struct NotificationRequest {
    std::optional<double> fireDate;  // seconds since the reference date; none: due at once
    unsigned long repeatInterval = 0;
    std::optional<std::string> alertBody;
    std::optional<std::string> alertLaunchImage;
    bool operator==(const NotificationRequest&) const = default;
};

class SpringBoardService {
  public:
    virtual ~SpringBoardService() = default;
    // The application object's addStatusBarImageNamed: / removeStatusBarImageNamed:.
    virtual void applicationStatusBarImage(const std::string& name, bool show) = 0;
    // SpringBoardServices.
    virtual uint32_t serverPort() = 0;
    virtual void statusBarItem(uint32_t port, const std::string& name, bool show, int flags) = 0;
    virtual void scheduleLocalNotification(const std::string& bundleIdentifier,
                                           const NotificationRequest& notification) = 0;
    virtual void cancelAllLocalNotifications(const std::string& bundleIdentifier) = 0;
    // A message to a distributed messaging centre; userInfo may be null.
    virtual bool sendCenterMessage(const std::string& center, const std::string& message,
                                   const PList::Dictionary* userInfo) = 0;
    virtual bool openURL(const std::string& url) = 0;
    // The item names the status bar shows now, in order; none while SpringBoard shows none.
    virtual std::vector<std::string> statusBarItems() = 0;
};

}  // namespace platform
