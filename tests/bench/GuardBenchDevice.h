// Shared by the guard's benchmarks: a phone on the in-process platform that keeps no records
// (so the platform itself does not grow over long runs), with the settings the control app
// writes, and the daemon's own run-period loop driven over device time.
#pragma once

#include <plist/plist++.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Daemon.h"
#include "DaemonLoop.h"
#include "TestPlatform.h"

namespace guard_bench {

using platform::testing::TestPlatform;

struct Window {
    bool on = false;
    int start = 0;  // minutes after midnight
    int end = 0;
};

inline std::unique_ptr<TestPlatform> makeDevice(const std::string& version, const std::string& time,
                                                Window window) {
    auto device = std::make_unique<TestPlatform>();
    device->setKeepRecords(false);
    device->installSpringBoardServices(SBS_LIBRARY);
    device->setSystemVersion(version);
    device->setTime(time);
    PList::Dictionary file;
    file.Set("Schedule", PList::Boolean(window.on));
    file.Set("ScheduleStart", PList::Integer(static_cast<uint64_t>(window.start)));
    file.Set("ScheduleEnd", PList::Integer(static_cast<uint64_t>(window.end)));
    device->writeSettings(file);
    device->reloadUserDefaults();
    return device;
}

// Runs the daemon's loop, one run period after another, until `seconds` of device time have
// passed. Returns false when the run loop has nothing to wait on (the daemon would idle).
// A daemon that is never destroyed, as in the real process; kept in a static so that leak
// checkers see it in use.
inline Daemon* startDaemon() {
    static std::vector<Daemon*> daemons;
    return daemons.emplace_back(new Daemon());
}

inline bool runDaemonFor(TestPlatform& device, double seconds) {
    const CFAbsoluteTime end = device.now() + seconds;
    while (device.now() < end)
        if (runDaemonPeriod() == kCFRunLoopRunFinished) return false;
    return true;
}

// This process's resident memory in KiB, from /proc.
inline long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace guard_bench
