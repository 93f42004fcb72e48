#include "ProcessControl.h"

#include <csignal>

namespace simd {

pid_t SystemProcesses::start(const base::SpawnOptions& options, std::string* error) {
    return base::spawn(options, error);
}

void SystemProcesses::signal(pid_t pid, int signal) { ::kill(pid, signal); }

}  // namespace simd
