#include "DeviceRemains.h"

#include <sim/simd/DeviceLock.h>
#include <sim/simd/Processes.h>
#include <unistd.h>
#include <wire/DeviceClock.h>

#include <functional>

namespace simctl {

namespace {

bool pollUntil(const std::function<bool()>& done, double hostSeconds) {
    const double until = wire::hostNow() + hostSeconds;
    for (;;) {
        if (done()) return true;
        if (wire::hostNow() >= until) return false;
        usleep(20000);
    }
}

}  // namespace

std::string DeviceRemains::describe() const {
    std::string text;
    auto name = [&](pid_t pid, const std::string& fallback) {
        std::string seen = simd::processName(pid);
        if (!text.empty()) text += ", ";
        text += (seen.empty() ? fallback : seen) + " (pid " + std::to_string(pid) + ")";
    };
    for (pid_t pid : simds) name(pid, "simd");
    for (pid_t pid : processes) name(pid, "a device process");
    if (text.empty() && locked) text = "a process holding the device's lock";
    return text;
}

DeviceRemains remainsOf(const std::string& root) {
    DeviceRemains remains;
    remains.locked = simd::DeviceLock::held(root);
    remains.simds = simd::findSimds(root);
    remains.processes = simd::findDeviceProcesses(root);
    return remains;
}

DeviceRemains waitUntilDown(const std::string& root, double hostSeconds) {
    DeviceRemains remains;
    pollUntil(
        [&] {
            remains = remainsOf(root);
            return remains.empty();
        },
        hostSeconds);
    return remains;
}

bool waitUntilUnlocked(const std::string& root, double hostSeconds) {
    return pollUntil([&] { return !simd::DeviceLock::held(root); }, hostSeconds);
}

bool waitUntilEnded(const std::string& root, pid_t pid, unsigned long long startTicks,
                    double hostSeconds) {
    return pollUntil(
        [&] { return !simd::sameProcess(pid, startTicks) || !simd::DeviceLock::held(root); },
        hostSeconds);
}

}  // namespace simctl
