#include "ListFormat.h"

namespace launchctl {

std::string formatJobList(const std::vector<ListedJob>& jobs) {
    std::string out = "PID\tStatus\tLabel\n";
    for (const ListedJob& job : jobs) {
        out += job.pid ? std::to_string(*job.pid) : "-";
        out += "\t" + std::to_string(job.status) + "\t" + job.label + "\n";
    }
    return out;
}

}  // namespace launchctl
