#include "ListFormat.h"

namespace launchctl {

std::string formatJobList(const std::vector<wire::ListedJob>& jobs) {
    std::string out = "PID\tStatus\tLabel\n";
    for (const wire::ListedJob& job : jobs) {
        // Appended piece by piece: GCC 12's -Wrestrict misreads a chain of temporaries here.
        out += job.pid ? std::to_string(*job.pid) : "-";
        out += '\t';
        out += std::to_string(job.status);
        out += '\t';
        out += job.label;
        out += '\n';
    }
    return out;
}

}  // namespace launchctl
