#include "DeviceSpringBoard.h"

#include <base/PlistFile.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/messages/Replies.h>
#include <wire/messages/SpringBoard.h>

#include "DeviceLinks.h"

namespace platform::device {

namespace {
ServiceLink& springBoard() { return DeviceLinks::instance().springBoard(); }

wire::StatusBarRequest statusBar(std::string route, const std::string& name, bool show) {
    wire::StatusBarRequest m;
    m.route = std::move(route);
    m.show = show;
    m.item = name;
    m.pid = DeviceLinks::pid();
    return m;
}
}  // namespace

DeviceSpringBoard& DeviceSpringBoard::instance() {
    static DeviceSpringBoard* service = new DeviceSpringBoard;  // never destroyed, as the links
    return *service;
}

void DeviceSpringBoard::applicationStatusBarImage(const std::string& name, bool show) {
    springBoard().send(statusBar("UIApplication", name, show));
}

uint32_t DeviceSpringBoard::serverPort() {
    // The port holds as long as the connection it was learnt on: a SpringBoard that restarted
    // is asked again.
    std::lock_guard lock(mutex_);
    const uint64_t connection = springBoard().liveConnection();
    if (connection == 0) return 0;
    if (connection == portConnection_) return port_;
    auto reply = springBoard().request<wire::PortReply>(wire::ServerPortRequest{}, kReplyTimeoutMs);
    if (!reply || !reply->ok) return 0;
    port_ = static_cast<uint32_t>(reply->port);
    portConnection_ = springBoard().liveConnection();
    return port_;
}

void DeviceSpringBoard::statusBarItem(uint32_t port, const std::string& name, bool show,
                                      int flags) {
    wire::StatusBarRequest m = statusBar("SpringBoardServices", name, show);
    m.port = port;
    m.flags = flags;
    springBoard().send(m);
}

void DeviceSpringBoard::scheduleLocalNotification(const std::string& bundleIdentifier,
                                                  const NotificationRequest& notification) {
    wire::ScheduleNotification m;
    m.app = bundleIdentifier;
    // A notification without a fire date is due at once.
    m.fireDate = notification.fireDate.value_or(DeviceLinks::instance().clock().now()) +
                 wire::kReferenceDateSince1970;  // it travels in Unix time
    m.repeatInterval.value = static_cast<int64_t>(notification.repeatInterval);
    m.body = notification.alertBody.value_or("");
    m.launchImage = notification.alertLaunchImage;
    m.pid = DeviceLinks::pid();
    springBoard().send(m);
}

void DeviceSpringBoard::cancelAllLocalNotifications(const std::string& bundleIdentifier) {
    wire::CancelNotifications m;
    m.app = bundleIdentifier;
    m.pid = DeviceLinks::pid();
    springBoard().send(m);
}

bool DeviceSpringBoard::sendCenterMessage(const std::string& center, const std::string& name,
                                          const PList::Dictionary* userInfo) {
    wire::CenterMessage m;
    m.center = center;
    m.message = name;
    if (userInfo) m.userInfo = std::make_unique<PList::Dictionary>(*userInfo);
    m.pid = DeviceLinks::pid();
    return springBoard().send(m);
}

bool DeviceSpringBoard::openURL(const std::string& url) {
    wire::OpenUrlRequest m;
    m.url = url;
    auto reply = springBoard().request<wire::Reply>(m, kReplyTimeoutMs);
    return reply && reply->ok;
}

std::vector<std::string> DeviceSpringBoard::statusBarItems() {
    // SpringBoard keeps what it shows in one file of the run folder, rewritten whole at each
    // change.
    std::vector<std::string> items;
    const base::PlistFile file =
        base::readPlistFile(wire::inRoot(DeviceLinks::instance().root(), wire::paths::kStatusBar));
    if (const PList::Array* array = base::arrayRoot(file))
        for (const auto& item : base::arrayItems(*array))
            if (item->GetType() == PLIST_STRING)
                items.push_back(static_cast<const PList::String&>(*item).GetValue());
    return items;
}

}  // namespace platform::device
