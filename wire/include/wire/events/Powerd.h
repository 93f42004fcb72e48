// The events of the power manager (powerd): its clients, the questions it asks them and their
// answers, the device's sleeps and wake-ups, and the wake-request list.
#pragma once

#include <wire/events/Event.h>

namespace wire::events {

inline constexpr std::string_view kPowerdSource = "powerd";

// A process subscribed to the power messages.
struct ClientRegistered {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "client-registered";
    WIRE_FIELDS((int64_t, pid, 0))
};

struct ClientDeregistered {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "client-deregistered";
    WIRE_FIELDS((int64_t, pid, 0))
};

// A message sent to every client, e.g. kIOMessageCanSystemSleep.
struct PowerMessage {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "message";
    WIRE_FIELDS((std::string, message), (int64_t, argument, 0), (int64_t, clients, 0))
};

// A client's answer to the question asked; pid 0 when the client is not known.
struct Answer {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "answer";
    WIRE_FIELDS((int64_t, pid, 0), (std::string, answer),  // "allow", "cancel"
                (std::string, message), (int64_t, argument, 0),
                (std::optional<bool>, ignored))  // true: a cancel of a sleep that cannot be stopped
};

// A client asked that did not answer in time; it counts as allowing.
struct NoAnswer {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "no-answer";
    WIRE_FIELDS((int64_t, pid, 0), (std::string, message), (int64_t, argument, 0))
};

// A client that went away while it was asked; it counts as allowing.
struct ClientGone {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "client-gone";
    WIRE_FIELDS((int64_t, pid, 0), (std::string, message), (int64_t, argument, 0))
};

// An answer to no question asked of its sender (answer, argument, expected: the pending
// question's argument or null), or from a sender not registered (reason).
struct StrayAnswer {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "stray-answer";
    WIRE_FIELDS((int64_t, pid, 0), (std::optional<std::string>, answer),
                (std::optional<int64_t>, argument), (std::optional<OrNull<int64_t>>, expected),
                (std::optional<std::string>, reason))
};

struct SleepAttempt {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "sleep-attempt";
    WIRE_FIELDS((std::string, reason))  // "idle", "request"
};

// Who cancelled the attempt; a fresh idle period begins.
struct SleepCancelled {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "sleep-cancelled";
    WIRE_FIELDS((std::vector<int64_t>, pids))
};

struct Sleep {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "sleep";
    WIRE_FIELDS((OrNull<std::string>, wakeAt))  // the next wake request's device time
};

// Why the device woke ("wake-request", "user", "shutdown"); for a request also its date and
// who booked it.
struct Wake {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "wake";
    WIRE_FIELDS((std::string, reason), (std::optional<std::string>, wakeTime),
                (std::optional<std::string>, scheduledby))
};

// A change asked of the wake-request list. The request's date is wakeTime: the line's own
// "time" is when it was logged.
struct WakeChange {
    WIRE_FIELDS((std::string, wakeTime), (std::string, scheduledby), (int64_t, pid, 0))
};

struct WakeBooked : WakeChange {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "wake-booked";
};

struct WakeWithdrawn : WakeChange {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "wake-withdrawn";
};

// A withdrawal of a request the list does not hold.
struct WakeNotFound : WakeChange {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "wake-not-found";
};

// The wake-request list could not be read; savedAs: where it was put aside before a booking
// wrote a new one.
struct WakeListInvalid {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "wake-list-invalid";
    WIRE_FIELDS((std::string, error), (std::optional<std::string>, savedAs))
};

// The whole percent the battery reached, draining or charging, or the level that was set; and
// the percent the phone reads from then on. Readings are rounded down, so a level reached
// draining reads one less: a phone at 79.9 % says 79.
struct BatteryLevel {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "battery-level";
    WIRE_FIELDS((int64_t, level, 0), (std::optional<int64_t>, reads))
};

// The charger was plugged in or out.
struct PowerSource {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "power-source";
    WIRE_FIELDS((bool, plugged, false), (std::string, state))  // "unplugged", "charging", "full"
};

// The battery reached 0 % off the charger: the device switches off.
struct BatteryEmpty : NoFields {
    static constexpr std::string_view kSource = kPowerdSource;
    static constexpr std::string_view kEvent = "battery-empty";
};

}  // namespace wire::events
