// The device's launchd: job files from /System/Library/LaunchDaemons, enabled or disabled for
// good through the overrides database, loaded at boot while enabled, started at load when
// RunAtLoad says so, stopped with SIGTERM on unload (SIGKILL when the grace period is over).
// It records each job's last exit status or signal. Jobs are not restarted when they end.
#pragma once

#include <sys/types.h>
#include <wire/messages/Device.h>
#include <wire/messages/Launchd.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "EventWriter.h"
#include "JobFile.h"
#include "Overrides.h"
#include "ProcessControl.h"
#include "Server.h"

namespace simd {

class Launchd {
  public:
    struct Reply {
        bool ok = true;
        std::string error;  // set when !ok
        std::string note;   // something worth saying although it worked
    };
    using ReplyFn = std::function<void(const Reply&)>;

    // `killGrace`: device seconds between SIGTERM and SIGKILL.
    Launchd(std::string hostRoot, EventWriter& log, ProcessControl& processes, Clock now,
            double killGrace);

    // Loads every enabled job, as at power-on.
    void boot();
    void load(const std::string& hostPath, bool persist, ReplyFn reply);
    // Replies when the job has ended.
    void unload(const std::string& hostPath, bool persist, ReplyFn reply);

    // launchctl's requests.
    void load(const Caller& caller, const wire::LaunchctlLoad& request);
    void unload(const Caller& caller, const wire::LaunchctlUnload& request);
    void list(const Caller& caller, const wire::LaunchctlList& request);

    // Loaded jobs, by label.
    std::vector<wire::ListedJob> list() const;
    // Every job known from its file or loaded, by label.
    std::vector<wire::JobStatus> status() const;

    // A child ended; false when it was none of the jobs.
    bool childEnded(pid_t pid, int waitStatus);
    void advance(double now);
    std::optional<double> nextDeadline() const;
    // The wall clock jumped by `jump` device seconds: grace periods keep their length.
    void clockSet(double jump);
    std::vector<pid_t> runningPids() const;
    // Shutdown: SIGTERM to every running job (no further starts happen).
    void terminateAll();
    // SIGKILL to every job's process group that may still hold processes.
    void killAll();

    // The number launchctl shows for an exit: the status, or minus the signal.
    static int listedStatus(const std::optional<int>& exitStatus, const std::optional<int>& signal);

  private:
    struct Job {
        JobDefinition definition;
        bool loaded = false;
        pid_t pid = 0;
        std::optional<int> lastExitStatus;
        std::optional<int> lastSignal;
        std::string startError;
        std::optional<double> killAt;
        bool unloading = false;
        std::vector<ReplyFn> unloadWaiters;
    };

    Overrides loadOverrides();
    void saveOverrides(const Overrides& overrides);
    bool enabled(const JobDefinition& definition, const Overrides& overrides) const;
    void start(Job& job);
    void finishUnload(Job& job);
    std::string devicePath(const std::string& hostPath) const;

    // The job file a request names, as a host path; empty when it names none.
    std::string requestedFile(const wire::JobFileRequest& request) const;

    std::string root_;
    EventWriter& log_;
    ProcessControl& processes_;
    Clock now_;
    double killGrace_;
    bool shuttingDown_ = false;
    std::map<std::string, Job> jobs_;  // by label
};

}  // namespace simd
