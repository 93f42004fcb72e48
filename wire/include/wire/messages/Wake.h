// AppSupport's wake bookings: CPScheduleWakeAtDateWithIdentifier and its withdrawal.
#pragma once

#include <wire/Message.h>

#include <cstdint>
#include <optional>
#include <string>

namespace wire {

// The identifier SpringBoard books its wake-ups under: one for the earliest booked local
// notification. The power manager gives a wake-up of this booker a short dark-wake grace.
inline constexpr char kSpringBoardWakeIdentifier[] = "com.apple.springboard";

struct WakeBooking {
    WIRE_FIELDS((std::optional<double>, time),  // device seconds since the reference date
                (std::string, identifier), (std::optional<int64_t>, pid))  // none: the peer's own
};

// Reply: WakeReply (ok), or Reply refused.
struct ScheduleWake : WakeBooking {
    static constexpr std::string_view kOp = "schedule-wake";
};

// Reply: WakeReply, ok when something was withdrawn.
struct CancelWake : WakeBooking {
    static constexpr std::string_view kOp = "cancel-wake";
};

struct WakeReply {
    WIRE_FIELDS((bool, ok, false), (int64_t, removed, 0))
};

}  // namespace wire
