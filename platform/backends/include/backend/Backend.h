// The seam between the platform layer's public calls and whatever plays the phone: the
// simulated device (device/) or the in-process test platform (testing/). Every public
// platform call records itself through record() and then asks the active backend.
#pragma once

#include <Foundation/Foundation.h>
#include <IOKit/pwr_mgt/IOPMLib.h>
#include <SpringBoardServices/SpringBoardServices.h>
#include <UIKit/UILocalNotification.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

class Backend {
  public:
    virtual ~Backend() = default;

    // ---- clock and waiting
    // Device time, seconds since the reference date (2001-01-01 00:00:00), local wall clock.
    virtual CFAbsoluteTime now() = 0;
    // Blocks until one of `fds` is readable or the device clock reaches `until` (no limit when
    // empty). Returns the readable descriptors, possibly none.
    virtual std::vector<int> wait(const std::vector<int>& fds,
                                  std::optional<CFAbsoluteTime> until) = 0;

    // ---- files and the system
    // The device's root folder on the host; empty when device paths are host paths.
    virtual std::string deviceRoot() = 0;
    // Device path of the home folder of the user the process runs as ("/var/root").
    virtual std::string homeDirectory() = 0;
    virtual std::string systemVersion() = 0;
    // Device path of the main bundle's folder.
    virtual std::string mainBundlePath() = 0;
    virtual std::string processName() = 0;

    // A platform call and its arguments, as "Name(arg, arg)". Only the test platform keeps them.
    virtual void record(const std::string& call) { (void)call; }
    // NSLog
    virtual void log(const std::string& line) = 0;

    // ---- IOKit power
    struct PowerRegistration {
        io_connect_t connection = 0;  // 0: failure
        io_object_t notifier = 0;
        int eventFd = -1;  // readable when messages wait
    };
    virtual PowerRegistration registerForSystemPower() = 0;
    // The next waiting message of the connection, if any.
    virtual bool nextPowerMessage(io_connect_t connection, natural_t* type, long* argument) = 0;
    virtual IOReturn answerPowerChange(io_connect_t connection, long argument, bool allow) = 0;
    virtual IOReturn deregisterForSystemPower(io_object_t notifier) = 0;
    virtual kern_return_t serviceClose(io_connect_t connection) = 0;

    // ---- AppSupport
    virtual bool scheduleWake(CFAbsoluteTime date, const std::string& identifier) = 0;
    virtual bool cancelWake(CFAbsoluteTime date, const std::string& identifier) = 0;
    virtual bool sendCenterMessage(const std::string& center, const std::string& message,
                                   const NSDictionary* userInfo) = 0;

    // ---- SpringBoard
    // The application object's addStatusBarImageNamed: / removeStatusBarImageNamed:.
    virtual void applicationStatusBarImage(const std::string& name, bool show) = 0;
    // SpringBoardServices.
    virtual mach_port_t springBoardServerPort() = 0;
    virtual void springBoardStatusBarItem(mach_port_t port, const std::string& name, bool show,
                                          int flags) = 0;
    virtual void scheduleLocalNotification(const std::string& bundleIdentifier,
                                           const UILocalNotification& notification) = 0;
    virtual void cancelAllLocalNotifications(const std::string& bundleIdentifier) = 0;
    virtual bool openURL(const std::string& url) = 0;
};

// The active backend: the simulated device unless a test put another in place.
Backend& backend();
// Makes `backend` (not owned) the active one; null returns to the simulated device.
void setBackend(Backend* backend);
// The active backend's device root without starting the device backend; empty when none.
std::string activeDeviceRoot();
// The host path of a device path: the device root joined with it.
std::string hostPath(const std::string& devicePath);

// Defined by the simulated device's client (device/).
Backend& deviceBackend();
// The root the process's environment named when it started; empty when none.
std::string deviceRootFromEnvironment();
// The environment variable that names the device's root to a process of the device.
const char* deviceRootVariable();

}  // namespace platform
