#include "DeviceLinks.h"

#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

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
      processName_(std::filesystem::path(executablePath()).filename().string()),
      simd_(root_, "simd",
            [](int fd) {
                // simd must know every device process to stop it while the device sleeps.
                PList::Dictionary hello = message("hello");
                addPid(hello);
                wire::sendMessage(fd, hello);
            }),
      springBoard_(root_, "springboard") {
    if (processName_.empty()) processName_ = program_invocation_short_name;
    simd_.connect();  // the greeting introduces the process at once
}

PList::Dictionary DeviceLinks::message(const std::string& op) {
    PList::Dictionary m;
    m.Set("op", PList::String(op));
    return m;
}

void DeviceLinks::addPid(PList::Dictionary& message) {
    message.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
}

}  // namespace platform::device
