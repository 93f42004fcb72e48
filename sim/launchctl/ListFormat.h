// "launchctl list": a header line, then one line per loaded job: the pid or "-", the last exit
// status (minus the signal when a signal ended it), the label; separated by tabs, label last.
#pragma once

#include <wire/messages/Launchd.h>

#include <string>
#include <vector>

namespace launchctl {

std::string formatJobList(const std::vector<wire::ListedJob>& jobs);

}  // namespace launchctl
