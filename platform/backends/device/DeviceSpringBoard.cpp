#include "DeviceSpringBoard.h"

#include <wire/DeviceTime.h>
#include <wire/Wire.h>

#include "DeviceLinks.h"

namespace platform::device {

namespace {
ServiceLink& springBoard() { return DeviceLinks::instance().springBoard(); }
}  // namespace

DeviceSpringBoard& DeviceSpringBoard::instance() {
    static DeviceSpringBoard* service = new DeviceSpringBoard;  // never destroyed, as the links
    return *service;
}

void DeviceSpringBoard::applicationStatusBarImage(const std::string& name, bool show) {
    PList::Dictionary m = DeviceLinks::message("statusbar");
    m.Set("route", PList::String("UIApplication"));
    m.Set("show", PList::Boolean(show));
    m.Set("item", PList::String(name));
    DeviceLinks::addPid(m);
    springBoard().send(m);
}

uint32_t DeviceSpringBoard::serverPort() {
    auto reply = springBoard().requestAlone(DeviceLinks::message("sbs-port"), kReplyTimeoutMs);
    if (!reply || !wire::boolField(*reply, "ok")) return 0;
    return static_cast<uint32_t>(wire::integerField(*reply, "port").value_or(0));
}

void DeviceSpringBoard::statusBarItem(uint32_t port, const std::string& name, bool show,
                                      int flags) {
    PList::Dictionary m = DeviceLinks::message("statusbar");
    m.Set("route", PList::String("SpringBoardServices"));
    m.Set("show", PList::Boolean(show));
    m.Set("item", PList::String(name));
    m.Set("port", PList::Integer(static_cast<uint64_t>(port)));
    m.Set("flags", PList::Integer(static_cast<uint64_t>(flags)));
    DeviceLinks::addPid(m);
    springBoard().send(m);
}

void DeviceSpringBoard::scheduleLocalNotification(const std::string& bundleIdentifier,
                                                  const NotificationRequest& notification) {
    PList::Dictionary m = DeviceLinks::message("schedule-notification");
    m.Set("app", PList::String(bundleIdentifier));
    // A notification without a fire date is due at once.
    const double fireDate = notification.fireDate.value_or(DeviceLinks::instance().clock().now()) +
                            wire::kReferenceDateSince1970;  // it travels in Unix time
    m.Set("fireDate", PList::Real(fireDate));
    m.Set("repeatInterval", PList::Integer(static_cast<uint64_t>(notification.repeatInterval)));
    m.Set("body", PList::String(notification.alertBody.value_or("")));
    if (notification.alertLaunchImage)
        m.Set("launchImage", PList::String(*notification.alertLaunchImage));
    DeviceLinks::addPid(m);
    springBoard().send(m);
}

void DeviceSpringBoard::cancelAllLocalNotifications(const std::string& bundleIdentifier) {
    PList::Dictionary m = DeviceLinks::message("cancel-notifications");
    m.Set("app", PList::String(bundleIdentifier));
    DeviceLinks::addPid(m);
    springBoard().send(m);
}

bool DeviceSpringBoard::sendCenterMessage(const std::string& center, const std::string& name,
                                          const PList::Dictionary* userInfo) {
    PList::Dictionary m = DeviceLinks::message("center");
    m.Set("center", PList::String(center));
    m.Set("message", PList::String(name));
    if (userInfo) m.Set("userInfo", *userInfo);
    DeviceLinks::addPid(m);
    return springBoard().send(m);
}

bool DeviceSpringBoard::openURL(const std::string& url) {
    PList::Dictionary m = DeviceLinks::message("open-url");
    m.Set("url", PList::String(url));
    auto reply = springBoard().requestAlone(m, kReplyTimeoutMs);
    return reply && wire::boolField(*reply, "ok");
}

}  // namespace platform::device
