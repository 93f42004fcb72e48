#include "GuardLog.h"

#include <algorithm>

namespace guard_e2e {

Events itemChanges(const Events& events) {
    Events found;
    for (const Json& e : events)
        if ((wire::events::is<wire::events::StatusBarShow>(e) ||
             wire::events::is<wire::events::StatusBarHide>(e)) &&
            e.value("item", "") == kItem)
            found.push_back(e);
    return found;
}

Events slice(const Events& events, size_t from, size_t until) {
    until = std::min(until, events.size());
    if (from >= until) return {};
    return Events(events.begin() + static_cast<long>(from),
                  events.begin() + static_cast<long>(until));
}

Events sleepQuestions(const Events& events) {
    Events found;
    for (const Json& e : e2e::eventsNamed<wire::events::PowerMessage>(events))
        if (e.value("message", "") == kCanSleep) found.push_back(e);
    return found;
}

Events sleepQuestionsBefore(const Events& events, long long until) {
    Events found;
    for (const Json& q : sleepQuestions(events))
        if (timeOf(q) < until) found.push_back(q);
    return found;
}

Json answerOf(const Events& events, long long pid, long long argument) {
    for (const Json& e : eventsWith<wire::events::Answer>(events, "pid", pid))
        if (e.value("argument", -1LL) == argument) return e;
    return nullptr;
}

Events wakeChanges(const Events& events) {
    Events found;
    for (const Json& e : events)
        if (wire::events::is<wire::events::WakeBooked>(e) ||
            wire::events::is<wire::events::WakeWithdrawn>(e))
            found.push_back(e);
    return found;
}

size_t mostOwnRequestsAtOnce(const Events& events, std::set<std::string> initially) {
    std::set<std::string> listed = std::move(initially);
    size_t most = listed.size();
    for (const Json& e : wakeChanges(events)) {
        if (e.value("scheduledby", "") != kLabel) continue;
        // The list holds one request per identifier and second: a booking again is no new one.
        if (wire::events::is<wire::events::WakeBooked>(e))
            listed.insert(e.value("wakeTime", ""));
        else
            listed.erase(e.value("wakeTime", ""));
        most = std::max(most, listed.size());
    }
    return most;
}

long long timeOf(const Json& event, const std::string& field) {
    return event.is_object() && event.contains(field) ? e2e::deviceSeconds(event[field]) : -1;
}

bool startsWith(const Json& text, const std::string& prefix) {
    return text.is_string() && text.get<std::string>().rfind(prefix, 0) == 0;
}

}  // namespace guard_e2e
