// A platform backend for unit tests of SpringBoard's side: it keeps NSLog lines and the
// SpringBoard calls it is asked for, and runs a virtual clock that waiting moves forward.
#pragma once

#include <backend/Backend.h>
#include <poll.h>

#include <string>
#include <vector>

class RecordingBackend : public platform::Backend {
  public:
    struct StatusBarCall {
        mach_port_t port;
        std::string name;
        bool show;
        int flags;
    };

    RecordingBackend() { platform::setBackend(this); }
    ~RecordingBackend() override { platform::setBackend(nullptr); }

    CFAbsoluteTime clock = 0;
    std::string root;
    std::string bundlePath = "/System/Library/CoreServices/SpringBoard.app";
    std::vector<std::string> logLines;
    std::vector<StatusBarCall> statusBarCalls;
    mach_port_t serverPort = 0x1234;

    CFAbsoluteTime now() override { return clock; }
    // Ready descriptors come back at once; otherwise the clock jumps to `until`.
    std::vector<int> wait(const std::vector<int>& fds,
                          std::optional<CFAbsoluteTime> until) override {
        std::vector<pollfd> polled;
        for (int fd : fds) polled.push_back({fd, POLLIN, 0});
        std::vector<int> ready;
        if (!polled.empty() && ::poll(polled.data(), polled.size(), 0) > 0)
            for (const pollfd& p : polled)
                if (p.revents) ready.push_back(p.fd);
        if (ready.empty() && until && *until > clock) clock = *until;
        return ready;
    }
    std::string deviceRoot() override { return root; }
    std::string homeDirectory() override { return "/var/mobile"; }
    std::string systemVersion() override { return "4.0"; }
    std::string mainBundlePath() override { return bundlePath; }
    std::string processName() override { return "SpringBoard"; }
    void log(const std::string& line) override { logLines.push_back(line); }

    PowerRegistration registerForSystemPower() override { return {}; }
    bool nextPowerMessage(io_connect_t, natural_t*, long*) override { return false; }
    IOReturn answerPowerChange(io_connect_t, long, bool) override { return kIOReturnNotOpen; }
    IOReturn deregisterForSystemPower(io_object_t) override { return kIOReturnNotOpen; }
    kern_return_t serviceClose(io_connect_t) override { return KERN_SUCCESS; }
    bool scheduleWake(CFAbsoluteTime, const std::string&) override { return false; }
    bool cancelWake(CFAbsoluteTime, const std::string&) override { return false; }
    bool sendCenterMessage(const std::string&, const std::string&, const NSDictionary*) override {
        return false;
    }
    void applicationStatusBarImage(const std::string&, bool) override {}
    mach_port_t springBoardServerPort() override { return serverPort; }
    void springBoardStatusBarItem(mach_port_t port, const std::string& name, bool show,
                                  int flags) override {
        statusBarCalls.push_back({port, name, show, flags});
    }
    void scheduleLocalNotification(const std::string&, const UILocalNotification&) override {}
    void cancelAllLocalNotifications(const std::string&) override {}
    bool openURL(const std::string&) override { return false; }
};
