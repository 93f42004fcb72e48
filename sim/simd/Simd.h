// simd's loop: one thread polls the socket's connections and the signals, and wakes for the
// deadlines of the power manager, launchd and the battery (device times, converted to host times
// through the clock). It answers for the device as a whole (ping, status) and shuts it down.
#pragma once

#include <wire/DeviceClock.h>
#include <wire/messages/Device.h>

#include <optional>
#include <string>

#include "DeviceProcesses.h"
#include "EventWriter.h"
#include "Launchd.h"
#include "PowerSources.h"
#include "Powerd.h"
#include "Server.h"
#include "SignalWatch.h"

namespace simd {

struct SimdOptions {
    std::string root;  // canonical host path
    double startTime;  // device time at boot, seconds since the reference date
    double rate = 1;
    double idleSleep = 30;
    int readyFd = -1;  // "ready\n" (or an error line) is written here once requests are served
    // Host seconds a process is always given before it counts as silent or is killed, however
    // fast the device clock runs: a loaded host must not turn slowness into a verdict.
    double minimumHostGrace = 3;

    // Device seconds between a job's SIGTERM and its SIGKILL.
    double killGrace() const;
    // Device seconds the power manager waits for an answer.
    double answerTimeout() const;
    // Device seconds a device woken for a notification stays awake in the dark.
    double darkWakeGrace() const;
};

class Simd {
  public:
    struct Parts {
        Server& server;
        SignalWatch& signals;
        EventWriter& log;
        Launchd& launchd;
        DeviceProcesses& processes;
        Powerd& power;
        PowerSources& battery;
    };
    Simd(const SimdOptions& options, const wire::DeviceClock& clock, Parts parts);

    // Serves the device until it has shut down.
    void run();

    // Requests.
    void ping(const Caller& caller, const wire::Ping& request);
    void status(const Caller& caller, const wire::Status& request);
    void shutdown(const Caller& caller, const wire::Shutdown& request);

  private:
    void handleSignals();
    // Brings the battery up to now; an empty one switches the device off. False then.
    bool followBattery();
    void shutdown(const std::optional<Caller>& requester);
    double now() const { return clock_.now(); }

    const SimdOptions& options_;
    const wire::DeviceClock& clock_;
    Parts parts_;
    bool running_ = true;
};

// The files of a booted device in /var/run/sim (sockets, clock, pid, status bar): removed at
// boot and at shutdown.
void removeRunFiles(const std::string& hostRoot);

}  // namespace simd
