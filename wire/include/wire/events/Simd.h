// The events simd writes about the device as a whole: its boots and shutdowns, the processes
// it starts, its clock and zone, and requests it could not serve.
#pragma once

#include <wire/events/Event.h>

namespace wire::events {

inline constexpr std::string_view kSimdSource = "simd";

// The first line of every boot; one log holds the device's boots one after another.
struct Boot {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "boot";
    WIRE_FIELDS((std::string, version), (double, rate, 1), (double, idleSleep, 0),
                (std::string, timeZone), (int64_t, pid, 0),  // simd's
                (std::optional<int64_t>, battery),  // the level it boots with, rounded down
                (std::optional<bool>, plugged))
};

// SpringBoard or a program `simctl launch` started.
struct ProcessStarted {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "process-started";
    WIRE_FIELDS((std::string, name), (int64_t, pid, 0))
};

struct ProcessEnded {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "process-ended";
    WIRE_FIELDS((std::string, name), (int64_t, pid, 0),
                (std::optional<int64_t>, signal),  // when a signal ended it
                (std::optional<int64_t>, status))  // when it exited
};

struct ProcessStartFailed {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "process-start-failed";
    WIRE_FIELDS((std::string, name), (std::string, error))
};

struct SpringBoardAbsent {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "springboard-absent";
    WIRE_FIELDS((std::string, program))  // a device path
};

struct SpringBoardNotAnswering {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "springboard-not-answering";
    WIRE_FIELDS((int64_t, pid, 0))
};

// A connection that sent what is no message; it is dropped.
struct BadMessage {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "bad-message";
    WIRE_FIELDS((int64_t, pid, 0))
};

struct UnknownRequest {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "unknown-request";
    WIRE_FIELDS((std::string, op), (int64_t, pid, 0))
};

// A request whose handler failed; the request is refused, the device goes on.
struct InternalError {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "internal-error";
    WIRE_FIELDS((std::string, op), (std::string, error))
};

// The wall clock before and after `simctl set-time`, UTC "YYYY-MM-DD HH:MM:SS".
struct ClockSet {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "clock-set";
    WIRE_FIELDS((std::string, old), (std::string, new_))
};

// The zone's names before and after `simctl set-timezone`.
struct TimezoneChanged {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "timezone-changed";
    WIRE_FIELDS((std::string, old), (std::string, new_))
};

// The SpringBoard that ended and the one started in its place (null: none ran, or none came
// back).
struct Respring {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "respring";
    WIRE_FIELDS((OrNull<int64_t>, old), (OrNull<int64_t>, new_))
};

// A SpringBoard that ended without being asked, started again (new: null when it did not come up).
struct SpringBoardRestarted {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "springboard-restarted";
    WIRE_FIELDS((int64_t, old, 0), (OrNull<int64_t>, new_))
};

struct Shutdown : NoFields {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "shutdown";
};

// Every process of the device is gone.
struct ShutdownComplete : NoFields {
    static constexpr std::string_view kSource = kSimdSource;
    static constexpr std::string_view kEvent = "shutdown-complete";
};

}  // namespace wire::events
