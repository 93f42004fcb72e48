// The SpringBoard service on the simulated device: messages to the device's SpringBoard.
#pragma once

#include <backend/SpringBoardService.h>

#include <cstdint>
#include <mutex>

namespace platform::device {

class DeviceSpringBoard final : public SpringBoardService {
  public:
    static DeviceSpringBoard& instance();

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
    std::mutex mutex_;
    uint32_t port_ = 0;
    uint64_t portConnection_ = 0;  // the SpringBoard connection the port was learnt on
};

}  // namespace platform::device
