// What the simulated device's end-to-end tests share: the built programs, waits on the event
// log, and programs run in the background on a device.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "DeviceSession.h"
#include "LogLines.h"

namespace sim_e2e {

using e2e::Json;
using Events = std::vector<Json>;

// Real seconds any one wait may take on a loaded 2-core machine (or under ASan).
inline constexpr double kHostBudget = 150;

// `simctl spawn ROOT program args...` left running in the background in its own process
// group, its output in a file. Ended (the whole group) when the object goes, whatever the
// test did; end the device first so that the program gets to end by itself.
class BackgroundSpawn {
  public:
    BackgroundSpawn(const std::string& simctl, const std::string& root,
                    const std::vector<std::string>& programAndArguments,
                    const std::string& outputFile);
    ~BackgroundSpawn();
    BackgroundSpawn(const BackgroundSpawn&) = delete;
    BackgroundSpawn& operator=(const BackgroundSpawn&) = delete;

    // Waits up to `hostSeconds` for simctl to end; its exit status, or -1 if it did not end.
    int waitForEnd(double hostSeconds);
    bool running();

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool reaped_ = false;
};

// A program run to its end with stdout and stderr kept apart, killed after `hostSeconds`.
struct Captured {
    int status = -1;  // exit status; -1 when killed by a signal or the deadline
    bool timedOut = false;
    double hostSeconds = 0;  // how long it ran
    std::string out, err;
};
// `environment` replaces the caller's whole environment.
Captured runCaptured(const std::vector<std::string>& command,
                     const std::vector<std::string>& environment, const std::string& scratchFolder,
                     double hostSeconds);
// The caller's environment without SIMDEVICE_ROOT.
std::vector<std::string> environmentOffDevice();

std::string simctlPath();
std::string powerClientPath();

// The pid of the latest registration for power messages; -1 when there is none yet.
long long registeredClientPid(const Events& events);
// The events from the n-th one (0-based) named `name` on, or empty.
Events fromNth(const Events& events, const std::string& name, size_t n);
// Power "message" events naming `message` (e.g. "kIOMessageCanSystemSleep").
Events messagesNamed(const Events& events, const std::string& message);
// The power client's own log lines.
std::vector<std::string> clientLines(const Events& events);
// Every simd running for `root` (started with "--root ROOT"), from /proc.
std::vector<pid_t> simdsServing(const std::string& root);
// First character of the state field of /proc/PID/stat ('T' stopped, 'S' sleeping...).
char processState(pid_t pid);

}  // namespace sim_e2e
