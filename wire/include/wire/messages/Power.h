// The power manager's messages: registration for the root power domain's messages, the pushes
// and their answers, and the requests that drive the device's sleep from outside.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Replies.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wire {

// Registers the connection for power messages. Reply: PowerRegistered.
struct PowerRegister {
    static constexpr std::string_view kOp = "power-register";
    WIRE_FIELDS((std::optional<int64_t>, pid))  // none: the peer's own
};

struct PowerRegistered {
    WIRE_FIELDS((bool, ok, false), (int64_t, client, 0))
};

// Pushed by simd to a registered connection: an IOKit message code and its argument, which
// the answer names.
struct PowerMessage {
    static constexpr std::string_view kOp = "power";
    WIRE_FIELDS((std::optional<uint32_t>, message), (std::optional<int64_t>, argument))
};

// IOAllowPowerChange / IOCancelPowerChange. No reply.
struct PowerAnswer {
    static constexpr std::string_view kOp = "power-answer";
    WIRE_FIELDS((std::optional<int64_t>, argument), (bool, allow, true))
};

// IODeregisterForSystemPower. No reply.
struct PowerDeregister : NoFields {
    static constexpr std::string_view kOp = "power-deregister";
};

// Sends a power message to every client now (simctl power). Reply: PowerProbeReply, or Reply
// refused.
struct PowerProbe {
    static constexpr std::string_view kOp = "power-probe";
    WIRE_FIELDS((std::string, message))  // "can-sleep", "will-sleep", "powered-on"
};

struct PowerClientAnswer {
    WIRE_FIELDS((int64_t, pid, 0), (std::string, answer))  // "allow", "cancel", "none"
};

struct PowerProbeReply {
    WIRE_FIELDS((bool, ok, false), (std::string, message), (int64_t, argument, 0),
                (std::vector<int64_t>, clients),  // the pids the message went to
                (std::vector<PowerClientAnswer>, answers),
                (double, roundTripMicros, 0))  // host time from the request to the last answer
};

// The sleep attempt the idle timer would make. Reply, once it has ended: SleepReply.
struct SleepNow : NoFields {
    static constexpr std::string_view kOp = "sleep";
};

struct SleepReply {
    WIRE_FIELDS((bool, ok, false),
                (std::string, result),                // "asleep", "cancelled", "already-asleep"
                (std::vector<int64_t>, cancelledBy))  // the pids that cancelled it
};

// The user touched the screen: the idle time before the next sleep attempt starts afresh (a
// sleeping device stays asleep: its screen is dark). No reply.
struct UserActivity : NoFields {
    static constexpr std::string_view kOp = "user-activity";
};

// A wake-up as by the home button. Reply: PowerStateReply.
struct WakeNow : NoFields {
    static constexpr std::string_view kOp = "wake";
};

struct PowerStateReply {
    WIRE_FIELDS((bool, ok, false), (std::string, power))  // "awake", "asleep"
};

}  // namespace wire
