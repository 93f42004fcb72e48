// "launchctl list": a header line, then one line per loaded job: the pid or "-", the last exit
// status (minus the signal when a signal ended it), the label; separated by tabs, label last.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace launchctl {

struct ListedJob {
    std::string label;
    std::optional<int> pid;
    int status = 0;
};

std::string formatJobList(const std::vector<ListedJob>& jobs);

}  // namespace launchctl
