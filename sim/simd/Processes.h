// Processes of a simulated device: starting them, finding them and telling a live process
// from a recycled pid.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ProcessLaunch {
    std::string program;                   // host path of the executable
    std::vector<std::string> argv;         // argv[0] as the program should see it
    std::vector<std::string> environment;  // "NAME=value"
    std::string workingDirectory;
    std::string outputPath;  // stdout and stderr appended here; empty: inherited
    bool newProcessGroup = true;
    bool nullInput = true;  // stdin from /dev/null
};

// Starts the program; the pid, or -1 with `error` set when it could not be started (the
// failure of exec itself is reported too, through a close-on-exec pipe).
pid_t spawnProcess(const ProcessLaunch& launch, std::string* error);

// The environment of a device process: SIMDEVICE_ROOT, a plain PATH and the device's zone.
std::vector<std::string> deviceEnvironment(const std::string& hostRoot);
// `base` ("NAME=value" entries) with SIMDEVICE_ROOT set to `hostRoot`.
std::vector<std::string> withDeviceRoot(std::vector<std::string> base, const std::string& hostRoot);

// Every process whose environment names `hostRoot` as its device root, except the caller.
std::vector<pid_t> findDeviceProcesses(const std::string& hostRoot);
// The kernel's start time of the process (clock ticks after boot); null when it is gone.
std::optional<unsigned long long> processStartTicks(pid_t pid);
// True while `pid` is the process that had `startTicks` (not a zombie, not a recycled pid).
bool sameProcess(pid_t pid, unsigned long long startTicks);
// True when the process exists and is not a zombie.
bool processAlive(pid_t pid);

}  // namespace sim
