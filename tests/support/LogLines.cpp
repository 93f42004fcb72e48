#include "LogLines.h"

namespace e2e {

std::vector<long long> jobStarts(const std::vector<Json>& events, const std::string& label) {
    std::vector<long long> pids;
    // Every line counts: launchd logs one start per process it forked, in one appended write, and
    // the session skips a line still being written; a start seen twice is a fault to show.
    for (const Json& line : events)
        if (const auto start = wire::events::read<wire::events::JobStarted>(line);
            start && start->label == label)
            pids.push_back(start->pid);
    return pids;
}

}  // namespace e2e
