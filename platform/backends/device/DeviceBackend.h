// The platform backend of a process on the simulated device: the device clock, the root's
// files, and the device's services over the root's sockets (sim/README.md).
#pragma once

#include <backend/Backend.h>
#include <wire/DeviceClock.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "ServiceLink.h"

namespace platform::device {

class DeviceBackend final : public Backend {
  public:
    // The process's backend. Outside a booted device it says so on stderr and ends the
    // process with status 69.
    static DeviceBackend& instance();
    DeviceBackend(std::string root, wire::DeviceClock clock);

    CFAbsoluteTime now() override;
    std::vector<int> wait(const std::vector<int>& fds,
                          std::optional<CFAbsoluteTime> until) override;

    std::string deviceRoot() override { return root_; }
    std::string homeDirectory() override { return "/var/root"; }
    std::string systemVersion() override;
    std::string mainBundlePath() override;
    std::string processName() override;
    void log(const std::string& line) override;

    PowerRegistration registerForSystemPower() override;
    bool nextPowerMessage(io_connect_t connection, natural_t* type, long* argument) override;
    IOReturn answerPowerChange(io_connect_t connection, long argument, bool allow) override;
    IOReturn deregisterForSystemPower(io_object_t notifier) override;
    kern_return_t serviceClose(io_connect_t connection) override;

    bool scheduleWake(CFAbsoluteTime date, const std::string& identifier) override;
    bool cancelWake(CFAbsoluteTime date, const std::string& identifier) override;
    bool sendCenterMessage(const std::string& center, const std::string& message,
                           const NSDictionary* userInfo) override;

    void applicationStatusBarImage(const std::string& name, bool show) override;
    mach_port_t springBoardServerPort() override;
    void springBoardStatusBarItem(mach_port_t port, const std::string& name, bool show,
                                  int flags) override;
    void scheduleLocalNotification(const std::string& bundleIdentifier,
                                   const UILocalNotification& notification) override;
    void cancelAllLocalNotifications(const std::string& bundleIdentifier) override;
    bool openURL(const std::string& url) override;

    // An event for the device's log, sent to simd (which stamps the time).
    bool sendEvent(const std::string& source, const std::string& event,
                   const PList::Dictionary& fields);

  private:
    struct PowerConnection {
        int fd = -1;
        io_object_t notifier = 0;
        bool registered = true;
        bool dead = false;
    };
    PList::Dictionary message(const std::string& op) const;
    void deaden(PowerConnection& connection);

    std::string root_;
    wire::DeviceClock clock_;
    std::string processName_;
    ServiceLink simd_;
    ServiceLink springBoard_;
    std::mutex powerMutex_;
    std::map<io_connect_t, PowerConnection> power_;
    io_connect_t nextConnection_ = 0x3003;
    int quietFd_ = -1;  // a pipe end that never becomes readable
};

}  // namespace platform::device
