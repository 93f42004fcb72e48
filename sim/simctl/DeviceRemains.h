// What is left of a device once its simd has gone or is going: simd itself (serving, booting
// or ending) and every process that names the root in its environment.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace simctl {

struct DeviceRemains {
    bool locked = false;  // a simd holds the root's lock
    std::vector<pid_t> simds;
    std::vector<pid_t> processes;

    bool empty() const { return !locked && simds.empty() && processes.empty(); }
    // "simd (pid 12), SpringBoard (pid 40)"
    std::string describe() const;
};

DeviceRemains remainsOf(const std::string& root);
// Polls until nothing of the device is left or `hostSeconds` have passed; what is left.
DeviceRemains waitUntilDown(const std::string& root, double hostSeconds);
// Waits up to `hostSeconds` for the root's lock to be free; whether it is.
bool waitUntilUnlocked(const std::string& root, double hostSeconds);
// Waits up to `hostSeconds` for the simd `pid` (started at `startTicks`) to end, or the lock to
// be free; whether either came. A simd that boots as this one ends takes the lock at once, so
// the lock alone cannot tell that the one asked has gone.
bool waitUntilEnded(const std::string& root, pid_t pid, unsigned long long startTicks,
                    double hostSeconds);

}  // namespace simctl
