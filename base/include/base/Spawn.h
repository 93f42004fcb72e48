// Starting a program as a child process: the one place that forks and execs. Everything the
// child needs is prepared before the fork, so the child only makes system calls; a program
// that cannot be started is reported to the caller (through a close-on-exec pipe), not lost
// in the child.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace base {

struct SpawnOptions {
    std::string program;            // the executable; looked up in PATH when it has no '/'
    std::vector<std::string> argv;  // argv[0] included; empty: just the program
    // "NAME=value" entries; none: the caller's environment.
    std::optional<std::vector<std::string>> environment;
    std::string workingDirectory;  // empty: the caller's
    enum class Group { Inherit, NewGroup, NewSession };
    Group group = Group::Inherit;
    bool nullInput = false;         // stdin from /dev/null
    std::string outputPath;         // stdout and stderr appended to this file
    std::string errorPath;          // stderr to this file instead, appended likewise
    bool freshOutput = false;       // those files emptied first rather than appended to
    int outputFd = -1;              // stdout onto this descriptor (a pipe's write end, say)
    std::vector<int> inheritedFds;  // descriptors the program keeps across exec
    // Signal mask emptied and the usual signals back to their default actions, so a child of
    // a program that blocks or ignores them (a signalfd loop, say) can be stopped normally.
    bool defaultSignals = true;
};

// The child's pid, or -1 with `error` set ("cannot run the program: No such file...").
pid_t spawn(const SpawnOptions& options, std::string* error);

// Waits for the child to end: its wait status as waitpid gives it; nothing when it is no child
// of ours.
std::optional<int> waitForStatus(pid_t pid);

// Waits for the child to end: its exit status, or 128 + the signal that ended it; -1 when it
// is no child of ours.
int waitForExit(pid_t pid);

// A child this object owns: killed (SIGKILL) and reaped when the owner goes, unless it was
// waited for or released first.
class ChildProcess {
  public:
    ChildProcess() = default;
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0; }
    // waitForExit, after which nothing is owned.
    int wait();
    pid_t release();

  private:
    pid_t pid_ = -1;
};

}  // namespace base
