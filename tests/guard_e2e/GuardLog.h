// What the device's event log says about the guard daemon: its starts and ends, its status-bar
// item, the sleep questions and its answers, and its wake bookings.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "DeviceSession.h"
#include "LogLines.h"

namespace guard_e2e {

using e2e::Json;
using Events = std::vector<Json>;

inline constexpr char kLabel[] = "com.quillmoor.vigilantpro";
inline constexpr char kItem[] = "VigilantPro";
inline constexpr char kCanSleep[] = "kIOMessageCanSystemSleep";

using e2e::eventsWith;
// Process ids of the guard job's starts, in order.
inline std::vector<long long> daemonStarts(const Events& events) {
    return e2e::jobStarts(events, kLabel);
}
// "statusbar-show" and "statusbar-hide" of the guard's item, in order.
Events itemChanges(const Events& events);
// The events with index `from` up to (not including) `until`.
Events slice(const Events& events, size_t from, size_t until);
// The sleep questions (kIOMessageCanSystemSleep messages) among the events.
Events sleepQuestions(const Events& events);
// Those asked before device time `until` (seconds): the questions that the window's last
// minute and the tick closing it may still answer either way come at or after it.
Events sleepQuestionsBefore(const Events& events, long long until);
// The answer of `pid` to the power message with this argument; null when there is none.
Json answerOf(const Events& events, long long pid, long long argument);
// Wake bookings and withdrawals (of any identifier), in order.
Events wakeChanges(const Events& events);
// The most requests of the guard's label listed at once, replaying the bookings and withdrawals
// from a list that held `initially` of them.
size_t mostOwnRequestsAtOnce(const Events& events, std::set<std::string> initially = {});
// Device seconds of an event's "time" (or of another time field); -1 when unreadable.
long long timeOf(const Json& event, const std::string& field = "time");
using e2e::indexOf;
// Whether a field is a text that begins with `prefix` (a time to the minute, say).
bool startsWith(const Json& text, const std::string& prefix);

}  // namespace guard_e2e
