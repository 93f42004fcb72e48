// How simd's services start and signal processes: the host's own calls in simd, a recording
// fake in the tests, so launchd's and the device's logic can be checked without processes.
#pragma once

#include <base/Spawn.h>
#include <sys/types.h>

#include <string>

namespace simd {

class ProcessControl {
  public:
    virtual ~ProcessControl() = default;
    // The started program's pid, or -1 with `error` set.
    virtual pid_t start(const base::SpawnOptions& options, std::string* error) = 0;
    // kill(2): a negative pid names a process group.
    virtual void signal(pid_t pid, int signal) = 0;
};

// base::spawn and kill.
class SystemProcesses final : public ProcessControl {
  public:
    pid_t start(const base::SpawnOptions& options, std::string* error) override;
    void signal(pid_t pid, int signal) override;
};

}  // namespace simd
