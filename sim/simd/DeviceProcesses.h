// The device's processes apart from launchd's jobs: SpringBoard and the programs started on
// request (simd's children), and every process that made itself known. They are stopped
// while the device sleeps and resumed when it wakes; at shutdown every one of them is ended,
// launchd's jobs first. A SpringBoard that ends without being asked is started again, as launchd
// does on the phone, at most once every 10 device seconds.
#pragma once

#include <sys/types.h>
#include <wire/messages/Device.h>

#include <map>
#include <optional>
#include <set>
#include <string>

#include "EventWriter.h"
#include "Launchd.h"
#include "ProcessControl.h"
#include "Server.h"
#include "SignalWatch.h"

namespace simd {

class DeviceProcesses {
  public:
    // `springBoardGrace`: host seconds SpringBoard has after SIGTERM on a respring.
    DeviceProcesses(std::string hostRoot, ProcessControl& control, EventWriter& log,
                    Launchd& launchd, SignalWatch& signals, Clock now, double springBoardGrace);
    DeviceProcesses(const DeviceProcesses&) = delete;
    DeviceProcesses& operator=(const DeviceProcesses&) = delete;

    // Starts SpringBoard and waits (30 host seconds at most) until it takes requests; its pid
    // once it does.
    std::optional<pid_t> startSpringBoard();
    std::optional<pid_t> springBoardPid() const;
    // Starts again a SpringBoard that ended on its own, once its throttle allows (and the device
    // is awake: a sleeping phone starts nothing).
    void advance(double now);
    // When advance() next has something to do.
    std::optional<double> nextDeadline() const;

    // Requests.
    void hello(const Caller& caller, const wire::Hello& request);
    void launch(const Caller& caller, const wire::Launch& request);
    // Ends SpringBoard and starts it again; the other processes live on.
    void respring(const Caller& caller, const wire::Respring& request);

    // A process of the device, stopped with the others while the device sleeps.
    void remember(pid_t pid);
    void suspend();
    void resume();
    bool suspended() const { return suspended_; }

    // Reaps the children that ended: launchd hears of its jobs, the others are logged.
    void reap();
    // Ends every process of the device: launchd's jobs with SIGTERM and `jobGrace` host seconds
    // before SIGKILL, then the others with `grace`.
    void endAll(double jobGrace, double grace);

  private:
    // Every known device process that still lives (registered or found by its environment).
    std::set<pid_t> deviceProcesses();
    void signalDevice(int signal);
    // Reaps until `done` or `hostSeconds` have passed; whether `done` came true.
    bool waitUntil(const std::function<bool()>& done, double hostSeconds);
    void logEnd(const std::string& name, pid_t pid, int waitStatus);
    // SIGTERM to the child and its group, SIGKILL after `grace`; whether it was reaped.
    bool endChild(pid_t pid, double grace);

    std::string root_;
    ProcessControl& control_;
    EventWriter& log_;
    Launchd& launchd_;
    SignalWatch& signals_;
    Clock now_;
    double springBoardGrace_;
    bool suspended_ = false;
    bool ending_ = false;  // SpringBoard is being ended on purpose (respring, shutdown)
    std::optional<pid_t> springBoardGone_;            // ended on its own, to be started again
    std::optional<double> springBoardStart_;          // device time of the last start
    std::map<pid_t, std::string> children_;           // simd's own, by pid: their names
    std::map<pid_t, unsigned long long> registered_;  // announced, with their start ticks
    std::set<pid_t> stopped_;                         // signalled one by one at sleep
};

}  // namespace simd
