#include "DeviceLinks.h"

#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>
#include <wire/messages/Device.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace platform::device {

namespace {
std::string executablePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

[[noreturn]] void notOnDevice(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why.c_str());
    std::exit(69);
}
}  // namespace

std::string rootFromEnvironment() {
    // Kept once found: the device's root is the process's for its whole life, so a program
    // that edits its environment (the app cleans it before it starts a command) keeps its
    // device.
    static std::string root;
    if (root.empty())
        if (const char* value = std::getenv(wire::paths::kRootVariable)) root = value;
    return root;
}

const char* rootVariable() { return wire::paths::kRootVariable; }

DeviceLinks& DeviceLinks::instance() {
    // Never destroyed: run-loop sources and atexit handlers may use it to the very end.
    static DeviceLinks* links = [] {
        const std::string root = rootFromEnvironment();
        if (root.empty()) notOnDevice("not running on a simulated device (start it with simctl)");
        std::string error;
        auto clock = wire::DeviceClock::load(root, &error);
        if (!clock)
            notOnDevice("the simulated device at " + root +
                        " is not booted (start it with simctl boot)");
        return new DeviceLinks(root, *clock);
    }();
    return *links;
}

DeviceLinks::DeviceLinks(std::string root, wire::DeviceClock clock)
    : root_(std::move(root)),
      clock_(clock),
      clockStamp_(FileStamp::of(wire::inRoot(root_, wire::paths::kClock))),
      processName_(std::filesystem::path(executablePath()).filename().string()),
      simd_(root_, wire::kSimdService, ServiceLink::Answers::requestsOnly,
            [] {
                // simd must know every device process to stop it while the device sleeps.
                return wire::encode(wire::Hello{pid()});
            }),
      springBoard_(root_, wire::kSpringBoardService, ServiceLink::Answers::everyMessage) {
    if (processName_.empty()) processName_ = program_invocation_short_name;
    simd_.liveConnection();  // the greeting introduces the process at once
}

wire::DeviceClock DeviceLinks::clock() {
    const std::optional<FileStamp> stamp = FileStamp::of(wire::inRoot(root_, wire::paths::kClock));
    std::lock_guard lock(clockMutex_);
    if (stamp && stamp != clockStamp_) {
        // A file being replaced may not read; the clock held stays until one does.
        std::string error;
        if (auto clock = wire::DeviceClock::load(root_, &error)) {
            clock_ = *clock;
            clockStamp_ = stamp;
        }
    }
    return clock_;
}

wire::DeviceClock DeviceLinks::elapsedClock() {
    std::lock_guard lock(clockMutex_);
    return clock_;
}

int64_t DeviceLinks::pid() { return static_cast<int64_t>(getpid()); }

}  // namespace platform::device
