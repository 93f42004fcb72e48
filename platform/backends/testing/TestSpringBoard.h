// The test backend's SpringBoard: status-bar requests of all three routes, centre messages,
// local notifications and opened addresses are recorded, none shown.
#pragma once

#include <backend/SpringBoardService.h>

#include <vector>

#include "CallLog.h"

namespace platform::testing {

class TestSpringBoard final : public SpringBoardService {
  public:
    static constexpr uint32_t kDefaultServerPort = 0x1503;

    explicit TestSpringBoard(CallLog& log) : log_(log) {}

    void setServerPort(uint32_t port) { port_ = port; }
    void setOpenURLResult(bool taken) { openURLResult_ = taken; }
    // The notifications booked and not cancelled since.
    const std::vector<LocalNotificationRecord>& notifications() const { return booked_; }

    void applicationStatusBarImage(const std::string& name, bool show) override;
    uint32_t serverPort() override;
    void statusBarItem(uint32_t port, const std::string& name, bool show, int flags) override;
    void scheduleLocalNotification(const std::string& bundleIdentifier,
                                   const NotificationRequest& notification) override;
    void cancelAllLocalNotifications(const std::string& bundleIdentifier) override;
    bool sendCenterMessage(const std::string& center, const std::string& message,
                           const PList::Dictionary* userInfo) override;
    bool openURL(const std::string& url) override;
    std::vector<std::string> statusBarItems() override;

  private:
    void showItem(const std::string& name, bool show);
    CallLog& log_;
    uint32_t port_ = kDefaultServerPort;
    bool openURLResult_ = true;
    std::vector<LocalNotificationRecord> booked_;
    std::vector<std::string> shown_;  // the status bar as the requests of every route left it
};

// The status-bar requests among the records, the libstatusbar route's read from its centre
// messages: a payload with "properties" is a show, one without a hide.
std::vector<StatusBarRequest> statusBarRequestsIn(const std::vector<Record>& records);

}  // namespace platform::testing
