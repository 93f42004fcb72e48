// AppSupport's wake bookings: requests that book and withdraw wake-ups in the device's
// wake-request list, and the earliest booking ahead, which the power manager sleeps until.
#pragma once

#include <wire/WakeList.h>
#include <wire/messages/Wake.h>

#include <functional>
#include <optional>
#include <string>

#include "EventWriter.h"
#include "Server.h"

namespace simd {

class WakeBookings {
  public:
    WakeBookings(std::string hostRoot, EventWriter& log);

    // Runs after every booking or withdrawal (the sleeping device looks up its wake-up again).
    void onChange(std::function<void()> changed) { changed_ = std::move(changed); }

    void schedule(const Caller& caller, const wire::ScheduleWake& request);
    void cancel(const Caller& caller, const wire::CancelWake& request);

    // The earliest valid booking strictly after `after`.
    std::optional<wire::WakeRequest> next(double after);

  private:
    void edit(const Caller& caller, const wire::WakeBooking& request, bool schedule);
    // The list as stored; a damaged one is set aside (logged) and an empty one takes its place.
    wire::WakeList loadForEdit();

    std::string root_;
    std::string path_;
    EventWriter& log_;
    std::function<void()> changed_;
};

}  // namespace simd
