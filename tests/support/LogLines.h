// Queries over a device's event log that the end-to-end suites share, by the log's event types
// (wire/events/).
#pragma once

#include <wire/events/All.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "DeviceSession.h"

namespace e2e {

// The events of type E, in log order.
template <wire::events::Event E>
std::vector<Json> eventsNamed(const std::vector<Json>& events) {
    std::vector<Json> found;
    std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                 [](const Json& e) { return wire::events::is<E>(e); });
    return found;
}

// Those whose field `key` equals `value`.
template <wire::events::Event E>
std::vector<Json> eventsWith(const std::vector<Json>& events, const std::string& key,
                             const Json& value) {
    std::vector<Json> found;
    for (const Json& e : eventsNamed<E>(events))
        if (e.contains(key) && e[key] == value) found.push_back(e);
    return found;
}

// The first event of type E at or after index `from`; its index, or events.size().
template <wire::events::Event E>
size_t indexOf(const std::vector<Json>& events, size_t from = 0) {
    for (size_t i = from; i < events.size(); ++i)
        if (wire::events::is<E>(events[i])) return i;
    return events.size();
}

// Process ids of launchd's starts of the job `label`, in order.
std::vector<long long> jobStarts(const std::vector<Json>& events, const std::string& label);

}  // namespace e2e
