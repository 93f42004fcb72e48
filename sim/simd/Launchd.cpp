#include "Launchd.h"

#include <sys/wait.h>
#include <wire/DevicePaths.h>
#include <wire/events/Launchd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "Processes.h"

namespace simd {

namespace events = wire::events;

Launchd::Launchd(std::string hostRoot, EventWriter& log, ProcessControl& processes, Clock now,
                 double killGrace)
    : root_(std::move(hostRoot)),
      log_(log),
      processes_(processes),
      now_(std::move(now)),
      killGrace_(killGrace) {}

std::string Launchd::devicePath(const std::string& hostPath) const {
    return wire::deviceView(root_, hostPath).value_or(hostPath);
}

Overrides Launchd::loadOverrides() {
    Overrides overrides = Overrides::load(wire::inRoot(root_, wire::paths::kOverrides));
    if (!overrides.error().empty()) log_.write(events::OverridesInvalid{overrides.error()});
    return overrides;
}

void Launchd::saveOverrides(const Overrides& overrides) {
    const std::string path = wire::inRoot(root_, wire::paths::kOverrides);
    // A damaged database is kept beside the new one rather than overwritten.
    if (!Overrides::load(path).error().empty()) {
        std::error_code ec;
        std::filesystem::rename(path, path + ".invalid", ec);
    }
    if (!overrides.save(path)) log_.write(events::OverridesUnwritable{wire::paths::kOverrides});
}

bool Launchd::enabled(const JobDefinition& definition, const Overrides& overrides) const {
    if (auto disabled = overrides.disabled(definition.label)) return !*disabled;
    return !definition.disabled;
}

void Launchd::boot() {
    const std::string folder = wire::inRoot(root_, wire::paths::kLaunchDaemons);
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".plist") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    const Overrides overrides = loadOverrides();
    for (const std::string& file : files) {
        JobFileResult parsed = readJobFile(file);
        if (!parsed.job) {
            log_.write(events::JobInvalid{devicePath(file), parsed.error});
            continue;
        }
        if (jobs_.count(parsed.job->label)) {
            log_.write(events::JobInvalid{devicePath(file),
                                          "another job file has the label " + parsed.job->label});
            continue;
        }
        if (!enabled(*parsed.job, overrides)) continue;
        Job& job = jobs_[parsed.job->label];
        job.definition = std::move(*parsed.job);
        job.loaded = true;
        log_.write(events::JobLoaded{job.definition.label, devicePath(job.definition.hostPath)});
        if (job.definition.runAtLoad) start(job);
    }
}

void Launchd::start(Job& job) {
    const std::string program = wire::inRoot(root_, job.definition.programArguments.front());
    std::string error;
    const pid_t pid =
        processes_.start(deviceProgram(root_, program, job.definition.programArguments,
                                       deviceEnvironment(root_), job.definition.label),
                         &error);
    if (pid < 0) {
        job.pid = 0;
        job.startError = error;
        log_.write(events::JobStartFailed{job.definition.label,
                                          job.definition.programArguments.front(), error});
        return;
    }
    job.pid = pid;
    job.startError.clear();
    log_.write(events::JobStarted{job.definition.label, pid});
}

void Launchd::load(const std::string& hostPath, bool persist, ReplyFn reply) {
    JobFileResult parsed = readJobFile(hostPath);
    if (!parsed.job) {
        log_.write(events::JobInvalid{devicePath(hostPath), parsed.error});
        reply({false, devicePath(hostPath) + ": " + parsed.error, ""});
        return;
    }
    JobDefinition definition = std::move(*parsed.job);
    Overrides overrides = loadOverrides();
    if (persist) {
        overrides.setDisabled(definition.label, false);
        saveOverrides(overrides);
    }
    auto it = jobs_.find(definition.label);
    if (it != jobs_.end() && it->second.loaded) {
        reply({true, "", definition.label + ": already loaded"});
        return;
    }
    if (!enabled(definition, overrides)) {
        reply({false, devicePath(hostPath) + ": the job is disabled (load -w enables it)", ""});
        return;
    }
    if (shuttingDown_) {
        reply({false, "the device is shutting down", ""});
        return;
    }
    Job& job = jobs_[definition.label];
    job.definition = std::move(definition);
    job.loaded = true;
    log_.write(events::JobLoaded{job.definition.label, devicePath(job.definition.hostPath)});
    if (job.definition.runAtLoad) start(job);
    Reply answer;
    if (!job.startError.empty()) answer.note = job.definition.label + ": " + job.startError;
    reply(answer);
}

void Launchd::unload(const std::string& hostPath, bool persist, ReplyFn reply) {
    JobFileResult parsed = readJobFile(hostPath);
    if (!parsed.job) {
        log_.write(events::JobInvalid{devicePath(hostPath), parsed.error});
        reply({false, devicePath(hostPath) + ": " + parsed.error, ""});
        return;
    }
    const std::string label = parsed.job->label;
    if (persist) {
        Overrides overrides = loadOverrides();
        overrides.setDisabled(label, true);
        saveOverrides(overrides);
    }
    auto it = jobs_.find(label);
    if (it == jobs_.end() || !it->second.loaded) {
        reply({true, "", label + ": not loaded"});
        return;
    }
    Job& job = it->second;
    job.unloadWaiters.push_back(std::move(reply));
    if (job.unloading) return;
    job.unloading = true;
    if (job.pid > 0) {
        processes_.signal(job.pid, SIGTERM);
        job.killAt = now_() + killGrace_;
        return;
    }
    finishUnload(job);
}

void Launchd::finishUnload(Job& job) {
    job.loaded = false;
    job.unloading = false;
    job.killAt.reset();
    log_.write(events::JobUnloaded{job.definition.label});
    auto waiters = std::move(job.unloadWaiters);
    job.unloadWaiters.clear();
    for (auto& waiter : waiters)
        if (waiter) waiter({true, "", ""});
}

bool Launchd::childEnded(pid_t pid, int waitStatus) {
    for (auto& [label, job] : jobs_) {
        if (job.pid != pid) continue;
        job.pid = 0;
        events::JobEnded ended{label, pid};
        if (WIFSIGNALED(waitStatus)) {
            job.lastSignal = WTERMSIG(waitStatus);
            job.lastExitStatus.reset();
            ended.signal = WTERMSIG(waitStatus);
        } else {
            job.lastExitStatus = WEXITSTATUS(waitStatus);
            job.lastSignal.reset();
            ended.status = WEXITSTATUS(waitStatus);
        }
        log_.write(ended);
        // Whatever the job left in its process group goes with it.
        processes_.signal(-pid, SIGKILL);
        if (job.unloading) finishUnload(job);
        return true;
    }
    return false;
}

void Launchd::advance(double now) {
    for (auto& [label, job] : jobs_) {
        if (!job.killAt || now < *job.killAt || job.pid <= 0) continue;
        log_.write(events::JobKilled{label, job.pid});
        processes_.signal(-job.pid, SIGKILL);
        processes_.signal(job.pid, SIGKILL);
        job.killAt.reset();
    }
}

void Launchd::clockSet(double jump) {
    for (auto& [label, job] : jobs_)
        if (job.killAt) *job.killAt += jump;
}

std::optional<double> Launchd::nextDeadline() const {
    std::optional<double> next;
    for (const auto& [label, job] : jobs_)
        if (job.killAt && (!next || *job.killAt < *next)) next = job.killAt;
    return next;
}

std::vector<pid_t> Launchd::runningPids() const {
    std::vector<pid_t> pids;
    for (const auto& [label, job] : jobs_)
        if (job.pid > 0) pids.push_back(job.pid);
    return pids;
}

void Launchd::terminateAll() {
    shuttingDown_ = true;
    for (auto& [label, job] : jobs_)
        if (job.pid > 0) processes_.signal(job.pid, SIGTERM);
}

void Launchd::killAll() {
    for (auto& [label, job] : jobs_)
        if (job.pid > 0) {
            processes_.signal(-job.pid, SIGKILL);
            processes_.signal(job.pid, SIGKILL);
        }
}

int Launchd::listedStatus(const std::optional<int>& exitStatus, const std::optional<int>& signal) {
    if (signal) return -*signal;
    return exitStatus.value_or(0);
}

namespace {
std::optional<int64_t> runningPid(pid_t pid) {
    return pid > 0 ? std::optional<int64_t>(pid) : std::nullopt;
}
}  // namespace

std::vector<wire::ListedJob> Launchd::list() const {
    std::vector<wire::ListedJob> out;
    for (const auto& [label, job] : jobs_)
        if (job.loaded)
            out.push_back(
                {label, runningPid(job.pid), listedStatus(job.lastExitStatus, job.lastSignal)});
    return out;
}

std::string Launchd::requestedFile(const wire::JobFileRequest& request) const {
    if (request.path.empty()) return "";
    return wire::resolveDeviceArgument(root_, request.path);
}

namespace {
Launchd::ReplyFn replyTo(const Caller& caller) {
    return [caller](const Launchd::Reply& result) {
        wire::JobReply reply{result.ok, std::nullopt, std::nullopt};
        if (!result.error.empty()) reply.error = result.error;
        if (!result.note.empty()) reply.note = result.note;
        caller.reply(reply);
    };
}
}  // namespace

void Launchd::load(const Caller& caller, const wire::LaunchctlLoad& request) {
    const std::string file = requestedFile(request);
    if (file.empty()) return caller.refuse("no job file named");
    load(file, request.persist, replyTo(caller));
}

void Launchd::unload(const Caller& caller, const wire::LaunchctlUnload& request) {
    const std::string file = requestedFile(request);
    if (file.empty()) return caller.refuse("no job file named");
    unload(file, request.persist, replyTo(caller));
}

void Launchd::list(const Caller& caller, const wire::LaunchctlList&) {
    caller.reply(wire::JobListReply{true, list()});
}

std::vector<wire::JobStatus> Launchd::status() const {
    std::map<std::string, wire::JobStatus> byLabel;
    // Jobs whose files are installed but not loaded are listed too, with their persistent state.
    const Overrides overrides = Overrides::load(wire::inRoot(root_, wire::paths::kOverrides));
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(
             wire::inRoot(root_, wire::paths::kLaunchDaemons), ec)) {
        if (entry.path().extension() != ".plist") continue;
        JobFileResult parsed = readJobFile(entry.path().string());
        if (!parsed.job || byLabel.count(parsed.job->label)) continue;
        byLabel[parsed.job->label] = {
            parsed.job->label, std::nullopt, enabled(*parsed.job, overrides),   false,
            std::nullopt,      std::nullopt, devicePath(entry.path().string()), std::nullopt};
    }
    for (const auto& [label, job] : jobs_) {
        wire::JobStatus& item = byLabel[label] = {label, runningPid(job.pid),
                                                  enabled(job.definition, overrides), job.loaded};
        if (job.lastExitStatus || job.lastSignal)
            item.lastExitStatus = listedStatus(job.lastExitStatus, job.lastSignal);
        if (job.lastSignal) item.lastSignal = *job.lastSignal;
        item.file = devicePath(job.definition.hostPath);
        if (!job.startError.empty()) item.startError = job.startError;
    }
    std::vector<wire::JobStatus> out;
    for (auto& [label, item] : byLabel) out.push_back(std::move(item));
    return out;
}

}  // namespace simd
