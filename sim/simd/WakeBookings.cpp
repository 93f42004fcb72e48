#include "WakeBookings.h"

#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/events/Powerd.h>

#include <cmath>
#include <filesystem>

namespace simd {

namespace events = wire::events;

WakeBookings::WakeBookings(std::string hostRoot, EventWriter& log)
    : root_(std::move(hostRoot)), path_(wire::inRoot(root_, wire::paths::kAutoWake)), log_(log) {}

void WakeBookings::schedule(const Caller& caller, const wire::ScheduleWake& request) {
    edit(caller, request, true);
}

void WakeBookings::cancel(const Caller& caller, const wire::CancelWake& request) {
    edit(caller, request, false);
}

wire::WakeList WakeBookings::loadForEdit() {
    wire::WakeList list = wire::WakeList::load(path_);
    if (list.error().empty()) return list;
    // A damaged list is kept aside, not overwritten: nothing of it is lost.
    const std::string savedAs = path_ + ".invalid";
    std::error_code ec;
    std::filesystem::rename(path_, savedAs, ec);
    log_.write(
        events::WakeListInvalid{list.error(), wire::deviceView(root_, savedAs).value_or(savedAs)});
    return wire::WakeList();
}

void WakeBookings::edit(const Caller& caller, const wire::WakeBooking& request, bool schedule) {
    const std::optional<double> time = request.time;
    if (!time || !std::isfinite(*time) || std::fabs(*time) > 4e9 || request.identifier.empty())
        return caller.refuse("a wake request needs a time and an identifier");
    wire::WakeList list = loadForEdit();
    int removed = 0;
    if (schedule)
        list.add(*time, request.identifier);
    else
        removed = list.remove(*time, request.identifier);
    if ((schedule || removed > 0) && !list.save(path_))
        return caller.refuse("cannot write the wake-request list");
    // The line's own "time" is when it was logged; the request's date needs a name of its own.
    const events::WakeChange change{wire::formatDeviceTime(wire::WakeList::wholeSeconds(*time)),
                                    request.identifier, caller.pidOr(request.pid)};
    if (schedule)
        log_.write(events::WakeBooked{change});
    else if (removed > 0)
        log_.write(events::WakeWithdrawn{change});
    else
        log_.write(events::WakeNotFound{change});
    if (changed_) changed_();
    caller.reply(wire::WakeReply{schedule || removed > 0, removed});
}

std::optional<wire::WakeRequest> WakeBookings::next(double after) {
    const wire::WakeList list = wire::WakeList::load(path_);
    if (!list.error().empty()) log_.write(events::WakeListInvalid{list.error()});
    return list.earliestAfter(after);
}

}  // namespace simd
