#include "DeviceProcesses.h"

#include <sys/wait.h>
#include <unistd.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>
#include <wire/events/Simd.h>

#include <csignal>
#include <filesystem>

#include "Processes.h"

namespace simd {

namespace events = wire::events;

namespace {
constexpr const char* kSpringBoardName = "SpringBoard";
// launchd's throttle: a job that keeps ending is not started more often than this.
constexpr double kRestartThrottle = 10;  // device seconds
}  // namespace

DeviceProcesses::DeviceProcesses(std::string hostRoot, ProcessControl& control, EventWriter& log,
                                 Launchd& launchd, SignalWatch& signals, Clock now,
                                 double springBoardGrace)
    : root_(std::move(hostRoot)),
      control_(control),
      log_(log),
      launchd_(launchd),
      signals_(signals),
      now_(std::move(now)),
      springBoardGrace_(springBoardGrace) {}

void DeviceProcesses::logEnd(const std::string& name, pid_t pid, int waitStatus) {
    events::ProcessEnded ended{name, pid};
    if (WIFSIGNALED(waitStatus))
        ended.signal = WTERMSIG(waitStatus);
    else
        ended.status = WEXITSTATUS(waitStatus);
    log_.write(ended);
}

std::optional<pid_t> DeviceProcesses::startSpringBoard() {
    const std::string program = wire::inRoot(root_, wire::paths::kSpringBoard);
    if (access(program.c_str(), X_OK) != 0) {
        log_.write(events::SpringBoardAbsent{wire::paths::kSpringBoard});
        return std::nullopt;
    }
    springBoardStart_ = now_();
    std::string error;
    const pid_t pid = control_.start(deviceProgram(root_, program, {wire::paths::kSpringBoard},
                                                   deviceEnvironment(root_), kSpringBoardName),
                                     &error);
    if (pid < 0) {
        log_.write(events::ProcessStartFailed{kSpringBoardName, error});
        return std::nullopt;
    }
    children_[pid] = kSpringBoardName;
    log_.write(events::ProcessStarted{kSpringBoardName, pid});
    // Boot is over once SpringBoard takes requests (or has given up).
    const double until = wire::hostNow() + 30;
    while (wire::hostNow() < until) {
        if (wire::connectToService(root_, wire::kSpringBoardService)) {
            springBoardGone_.reset();  // this one stands in for any that ended
            return pid;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            children_.erase(pid);
            logEnd(kSpringBoardName, pid, status);
            return std::nullopt;
        }
        usleep(10000);
    }
    log_.write(events::SpringBoardNotAnswering{pid});
    return std::nullopt;
}

bool DeviceProcesses::endChild(pid_t pid, double grace) {
    auto gone = [&] { return !children_.contains(pid); };
    control_.signal(-pid, SIGTERM);
    control_.signal(pid, SIGTERM);
    if (waitUntil(gone, grace)) return true;
    control_.signal(-pid, SIGKILL);
    control_.signal(pid, SIGKILL);
    return waitUntil(gone, 5);
}

void DeviceProcesses::respring(const Caller& caller, const wire::Respring&) {
    // A stopped SpringBoard would not even take its SIGTERM before the device wakes.
    if (suspended_) return caller.refuse("the device is asleep");
    const std::optional<pid_t> old = springBoardPid();
    ending_ = true;
    const bool ended = !old || endChild(*old, springBoardGrace_);
    ending_ = false;
    if (!ended) return caller.refuse("SpringBoard " + std::to_string(*old) + " did not end");
    const std::optional<pid_t> started = startSpringBoard();
    auto pidOrNull = [](std::optional<pid_t> pid) {
        return pid ? events::OrNull<int64_t>{*pid} : events::OrNull<int64_t>{};
    };
    log_.write(events::Respring{pidOrNull(old), pidOrNull(started)});
    if (!started) return caller.refuse("SpringBoard did not come back (the event log says why)");
    caller.reply(wire::RespringReply{true, old ? std::optional<int64_t>(*old) : std::nullopt,
                                     int64_t{*started}});
}

void DeviceProcesses::advance(double now) {
    const std::optional<double> due = nextDeadline();
    if (!due || now < *due) return;
    const pid_t old = *springBoardGone_;
    const std::optional<pid_t> started = startSpringBoard();
    log_.write(events::SpringBoardRestarted{
        old, started ? events::OrNull<int64_t>{*started} : events::OrNull<int64_t>{}});
    // One that would not come up is tried again after the throttle, as launchd does; a missing
    // program is not (springboard-absent said so).
    if (!started && access(wire::inRoot(root_, wire::paths::kSpringBoard).c_str(), X_OK) == 0)
        springBoardGone_ = old;
    else if (!started)
        springBoardGone_.reset();
}

std::optional<double> DeviceProcesses::nextDeadline() const {
    if (!springBoardGone_ || suspended_) return std::nullopt;
    return springBoardStart_ ? *springBoardStart_ + kRestartThrottle : now_();
}

std::optional<pid_t> DeviceProcesses::springBoardPid() const {
    for (const auto& [pid, name] : children_)
        if (name == kSpringBoardName) return pid;
    return std::nullopt;
}

void DeviceProcesses::hello(const Caller& caller, const wire::Hello& request) {
    remember(caller.pidOr(request.pid));
}

void DeviceProcesses::launch(const Caller& caller, const wire::Launch& request) {
    if (request.program.empty()) return caller.refuse("no program named");
    const std::string hostProgram = wire::resolveDeviceArgument(root_, request.program);
    const std::string name = std::filesystem::path(hostProgram).filename().string();
    std::vector<std::string> argv{wire::deviceView(root_, hostProgram).value_or(request.program)};
    argv.insert(argv.end(), request.arguments.begin(), request.arguments.end());
    std::string error;
    const pid_t pid =
        control_.start(deviceProgram(root_, hostProgram, std::move(argv),
                                     withDeviceRoot(request.environment, root_), name),
                       &error);
    if (pid < 0) return caller.refuse(request.program + ": " + error);
    children_[pid] = name;
    log_.write(events::ProcessStarted{name, pid});
    if (suspended_) control_.signal(-pid, SIGSTOP);
    caller.reply(wire::PidReply{true, pid});
}

void DeviceProcesses::remember(pid_t pid) {
    if (pid <= 0 || pid == getpid()) return;
    const auto ticks = processStartTicks(pid);
    if (!ticks) return;
    registered_[pid] = *ticks;
    if (suspended_) {
        control_.signal(pid, SIGSTOP);
        stopped_.insert(pid);
    }
}

void DeviceProcesses::suspend() {
    suspended_ = true;
    signalDevice(SIGSTOP);
}

void DeviceProcesses::resume() {
    suspended_ = false;
    signalDevice(SIGCONT);
    stopped_.clear();
}

void DeviceProcesses::signalDevice(int sig) {
    // Process groups first, so no job or app forks past the signal.
    for (pid_t pid : launchd_.runningPids()) control_.signal(-pid, sig);
    for (const auto& [pid, name] : children_) control_.signal(-pid, sig);
    std::set<pid_t> each = deviceProcesses();
    if (sig == SIGCONT) each.insert(stopped_.begin(), stopped_.end());
    for (pid_t pid : each) {
        control_.signal(pid, sig);
        if (sig == SIGSTOP) stopped_.insert(pid);
    }
}

std::set<pid_t> DeviceProcesses::deviceProcesses() {
    std::set<pid_t> pids;
    for (auto it = registered_.begin(); it != registered_.end();) {
        if (sameProcess(it->first, it->second)) {
            pids.insert(it->first);
            ++it;
        } else {
            it = registered_.erase(it);  // gone: its pid may belong to someone else soon
        }
    }
    for (pid_t pid : findDeviceProcesses(root_)) pids.insert(pid);
    pids.erase(getpid());
    return pids;
}

void DeviceProcesses::reap() {
    int status = 0;
    pid_t pid;
    while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
        if (launchd_.childEnded(pid, status)) continue;
        auto it = children_.find(pid);
        if (it == children_.end()) continue;
        logEnd(it->second, pid, status);
        if (it->second == kSpringBoardName && !ending_) springBoardGone_ = pid;
        control_.signal(-pid, SIGKILL);  // what it left in its process group
        children_.erase(it);
    }
}

bool DeviceProcesses::waitUntil(const std::function<bool()>& done, double hostSeconds) {
    const double until = wire::hostNow() + hostSeconds;
    for (;;) {
        reap();
        if (done()) return true;
        if (wire::hostNow() >= until) return false;
        // The signal wakes the wait for our own children; others are looked at every 20 ms.
        signals_.pause(0.02);
    }
}

void DeviceProcesses::endAll(double jobGrace, double grace) {
    ending_ = true;  // for good: the device is shutting down
    springBoardGone_.reset();
    // Jobs first, with SIGTERM and their grace period, as launchd does.
    launchd_.terminateAll();
    auto jobsGone = [&] { return launchd_.runningPids().empty(); };
    if (!waitUntil(jobsGone, jobGrace)) {
        launchd_.killAll();
        waitUntil(jobsGone, 5);
    }
    // Then every other device process.
    for (const auto& [pid, name] : children_) control_.signal(-pid, SIGTERM);
    for (pid_t pid : deviceProcesses()) control_.signal(pid, SIGTERM);
    auto allGone = [&] { return children_.empty() && deviceProcesses().empty(); };
    if (!waitUntil(allGone, grace)) {
        for (const auto& [pid, name] : children_) {
            control_.signal(-pid, SIGKILL);
            control_.signal(pid, SIGKILL);
        }
        for (pid_t pid : deviceProcesses()) control_.signal(pid, SIGKILL);
        waitUntil(allGone, 5);
    }
    launchd_.killAll();
}

}  // namespace simd
