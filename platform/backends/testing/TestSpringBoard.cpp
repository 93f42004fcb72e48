#include "TestSpringBoard.h"

#include <base/PlistFile.h>

#include <algorithm>

namespace platform::testing {

namespace {
constexpr const char* kLibStatusBarCenter = "com.apple.springboard.libstatusbar";
constexpr const char* kLibStatusBarMessage = "setProperties:userInfo:";

std::optional<StatusBarRequest> libStatusBarRequest(const std::string& center,
                                                    const std::string& message,
                                                    const PList::Dictionary* userInfo) {
    if (center != kLibStatusBarCenter || message != kLibStatusBarMessage || !userInfo)
        return std::nullopt;
    const std::optional<std::string> name = base::stringAt(*userInfo, "item");
    if (!name) return std::nullopt;
    const bool show = base::nodeAt(*userInfo, "properties") != nullptr;
    return StatusBarRequest{kRouteLibStatusBar, *name, show, 0, 0};
}
}  // namespace

// An item shown again keeps its place, as on SpringBoard.
void TestSpringBoard::showItem(const std::string& name, bool show) {
    const bool shown = std::find(shown_.begin(), shown_.end(), name) != shown_.end();
    if (!show) std::erase(shown_, name);
    if (show && !shown) shown_.push_back(name);
}

void TestSpringBoard::applicationStatusBarImage(const std::string& name, bool show) {
    log_.add(StatusBarRequest{kRouteApplication, name, show, 0, 0});
    showItem(name, show);
}

uint32_t TestSpringBoard::serverPort() {
    log_.add(SpringBoardPortRequest{});
    return port_;
}

void TestSpringBoard::statusBarItem(uint32_t port, const std::string& name, bool show, int flags) {
    log_.add(StatusBarRequest{kRouteSpringBoardServices, name, show, port, flags});
    showItem(name, show);
}

void TestSpringBoard::scheduleLocalNotification(const std::string& bundleIdentifier,
                                                const NotificationRequest& notification) {
    const LocalNotificationRecord booked{bundleIdentifier, notification.fireDate,
                                         notification.repeatInterval, notification.alertBody,
                                         notification.alertLaunchImage};
    log_.add(booked);
    if (log_.keeping()) booked_.push_back(booked);
}

void TestSpringBoard::cancelAllLocalNotifications(const std::string& bundleIdentifier) {
    log_.add(NotificationsCancelled{bundleIdentifier});
    std::erase_if(booked_,
                  [&](const LocalNotificationRecord& n) { return n.app == bundleIdentifier; });
}

bool TestSpringBoard::sendCenterMessage(const std::string& center, const std::string& message,
                                        const PList::Dictionary* userInfo) {
    CenterMessage sent{center, message, {}, nullptr};
    if (auto request = libStatusBarRequest(center, message, userInfo))
        showItem(request->item, request->show);
    if (userInfo && log_.keeping()) {
        sent.userInfoXml = userInfo->ToXml();
        sent.userInfo.reset(static_cast<PList::Dictionary*>(userInfo->Clone()));
    }
    log_.add(std::move(sent));
    return true;
}

bool TestSpringBoard::openURL(const std::string& url) {
    log_.add(URLOpened{url});
    return openURLResult_;
}

std::vector<std::string> TestSpringBoard::statusBarItems() { return shown_; }

std::vector<StatusBarRequest> statusBarRequestsIn(const std::vector<Record>& records) {
    std::vector<StatusBarRequest> found;
    for (const Record& r : records) {
        if (const auto* request = std::get_if<StatusBarRequest>(&r)) found.push_back(*request);
        if (const auto* sent = std::get_if<CenterMessage>(&r))
            if (auto request =
                    libStatusBarRequest(sent->center, sent->message, sent->userInfo.get()))
                found.push_back(*request);
    }
    return found;
}

}  // namespace platform::testing
