// The device's clock and zone as its owner or the network changes them: simctl set-time and,
// on a booted device, set-timezone.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Replies.h>

#include <optional>
#include <string>

namespace wire {

// The wall clock jumps to `time` (device seconds since the reference date, UTC), as when the
// network sets it; elapsed time goes on unshifted. Reply: Reply.
struct SetTime {
    static constexpr std::string_view kOp = "set-time";
    WIRE_FIELDS((std::optional<double>, time))
};

// The device goes to another zone of the tz database ("Europe/Berlin"). Reply: Reply.
struct SetTimeZone {
    static constexpr std::string_view kOp = "set-timezone";
    WIRE_FIELDS((std::string, zone))
};

}  // namespace wire
