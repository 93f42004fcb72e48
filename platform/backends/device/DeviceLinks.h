// What the device's services share in a process on the simulated device: the device root,
// its clock, the process's name and the links to simd and SpringBoard (sim/README.md).
#pragma once

#include <plist/plist++.h>
#include <wire/DeviceClock.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "FileStamp.h"
#include "ServiceLink.h"

namespace platform::device {

// The device root the environment names; empty outside a device.
std::string rootFromEnvironment();
// The environment variable that carries it.
const char* rootVariable();

class DeviceLinks {
  public:
    // The process's links, made on first use. Outside a booted device it says so on stderr
    // and ends the process with status 69.
    static DeviceLinks& instance();
    DeviceLinks(std::string root, wire::DeviceClock clock);

    const std::string& root() const { return root_; }
    // The device's clock as simd keeps it now: read again whenever its file changed, which
    // happens when the wall clock is set (the elapsed clock runs on unchanged).
    wire::DeviceClock clock();
    // The clock as last read, for elapsed time alone: a set never moves it, so nothing needs
    // to look at the file (timers ask for it on every turn of a run loop).
    wire::DeviceClock elapsedClock();
    const std::string& processName() const { return processName_; }
    ServiceLink& simd() { return simd_; }
    ServiceLink& springBoard() { return springBoard_; }

    // This process's pid, which the messages that name their sender carry.
    static int64_t pid();

  private:
    std::string root_;
    std::mutex clockMutex_;
    wire::DeviceClock clock_;
    std::optional<FileStamp> clockStamp_;
    std::string processName_;
    ServiceLink simd_;
    ServiceLink springBoard_;
};

// How long a device process waits for a service's reply.
inline constexpr int kReplyTimeoutMs = 10000;

}  // namespace platform::device
