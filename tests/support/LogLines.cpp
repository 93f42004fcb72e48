#include "LogLines.h"

namespace e2e {

std::vector<Json> eventsWith(const std::vector<Json>& events, const std::string& name,
                             const std::string& key, const Json& value) {
    std::vector<Json> found;
    for (const Json& e : eventsNamed(events, name))
        if (e.contains(key) && e[key] == value) found.push_back(e);
    return found;
}

std::vector<long long> jobStarts(const std::vector<Json>& events, const std::string& label) {
    std::vector<long long> pids;
    // Every line counts: launchd logs one start per process it forked, in one appended write, and
    // the session skips a line still being written; a start seen twice is a fault to show.
    for (const Json& e : eventsWith(events, "job-started", "label", label))
        pids.push_back(e.value("pid", -1LL));
    return pids;
}

}  // namespace e2e
