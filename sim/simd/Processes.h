// Processes of a device: how a program of the device is started, and finding the processes
// that belong to a device.
#pragma once

#include <base/Spawn.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace simd {

// Options that start `hostProgram` as a program of the device at `hostRoot`: argv as given
// (argv[0] as the program should see it), the environment as given, in the root, in a
// process group of its own, input from /dev/null, output appended to the device's
// /var/log/sim/LOGNAME.log.
base::SpawnOptions deviceProgram(const std::string& hostRoot, const std::string& hostProgram,
                                 std::vector<std::string> argv,
                                 std::vector<std::string> environment, const std::string& logName);

// The environment of a device process: SIMDEVICE_ROOT, a plain PATH and UTC for the C
// library, so no host zone leaks in (the device's own zone is the platform's NSTimeZone).
std::vector<std::string> deviceEnvironment(const std::string& hostRoot);
// `base` ("NAME=value" entries) with SIMDEVICE_ROOT set to `hostRoot`.
std::vector<std::string> withDeviceRoot(std::vector<std::string> base, const std::string& hostRoot);

// Every process whose environment names `hostRoot` as its device root, except the caller.
std::vector<pid_t> findDeviceProcesses(const std::string& hostRoot);
// Every simd that serves (or is booting) `hostRoot`: started with "--root hostRoot".
std::vector<pid_t> findSimds(const std::string& hostRoot);
// The process's name as the kernel keeps it ("SpringBoard"); empty when it is gone.
std::string processName(pid_t pid);
// The kernel's start time of the process (clock ticks after boot); null when it is gone.
std::optional<unsigned long long> processStartTicks(pid_t pid);
// True while `pid` is the process that had `startTicks` (not a zombie, not a recycled pid).
bool sameProcess(pid_t pid, unsigned long long startTicks);
// True when the process exists and is not a zombie.
bool processAlive(pid_t pid);

}  // namespace simd
