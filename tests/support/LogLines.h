// Queries over a device's event log that the end-to-end suites share.
#pragma once

#include <string>
#include <vector>

#include "DeviceSession.h"

namespace e2e {

// Events of one kind whose field `key` equals `value`.
std::vector<Json> eventsWith(const std::vector<Json>& events, const std::string& name,
                             const std::string& key, const Json& value);
// Process ids of launchd's starts of the job `label`, in order.
std::vector<long long> jobStarts(const std::vector<Json>& events, const std::string& label);

}  // namespace e2e
