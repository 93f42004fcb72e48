// simd's requests about the device itself: processes announcing themselves, the event log,
// status, starting programs and shutting down.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Battery.h>
#include <wire/messages/Replies.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wire {

// The service names of the sockets in /var/run/sim.
inline constexpr const char* kSimdService = "simd";
inline constexpr const char* kSpringBoardService = "springboard";

// A device process makes itself known, so simd can stop it while the device sleeps. No reply.
struct Hello {
    static constexpr std::string_view kOp = "hello";
    WIRE_FIELDS((std::optional<int64_t>, pid))  // none: the peer's own
};

// An event for the device's log: {source, event, its own fields...}. No reply.
struct LogEvent {
    static constexpr std::string_view kOp = "log";
    WIRE_FIELDS((OtherFields, details),  // the event's own fields
                (std::string, source, "unknown"), (std::string, event, "log"))
};

// Is simd there? Reply: PidReply (simd's pid).
struct Ping : NoFields {
    static constexpr std::string_view kOp = "ping";
};

// The device's state. Reply: StatusReply.
struct Status : NoFields {
    static constexpr std::string_view kOp = "status";
};

// A job of launchd's, loaded or only installed.
struct JobStatus {
    WIRE_FIELDS((std::string, label), (std::optional<int64_t>, pid), (bool, enabled, false),
                (bool, loaded, false),
                (std::optional<int64_t>, lastExitStatus),  // launchctl list's status
                (std::optional<int64_t>, lastSignal), (std::string, file),  // a device path
                (std::optional<std::string>, startError))  // why it could not be started
};

// Times are device times as formatDeviceTime writes them; none: no sleep attempt or wake-up is
// due, or no SpringBoard runs.
struct StatusReply {
    WIRE_FIELDS((bool, ok, false), (std::string, time), (std::string, power),  // "awake", "asleep"
                (std::vector<int64_t>, powerClients),
                (std::optional<std::string>, nextSleepAttempt),
                (std::optional<std::string>, wakeAt), (double, rate, 1), (double, idleSleep, 0),
                (std::vector<JobStatus>, jobs), (std::optional<int64_t>, springBoardPid),
                (int64_t, simdPid, 0), (std::string, timeZone), (std::string, localTime),
                (BatteryStatus, battery))
};

// Starts a program of the device. Reply: PidReply, or Reply refused.
struct Launch {
    static constexpr std::string_view kOp = "launch";
    WIRE_FIELDS((std::string, program),  // a device path (or a host path inside the root)
                (std::vector<std::string>, arguments),
                (std::vector<std::string>, environment))  // "NAME=value"
};

// SpringBoard ends and launchd starts it again, as after a crash or a settings change. Reply:
// RespringReply once the new SpringBoard takes requests, or Reply refused (the device is
// asleep, or no SpringBoard came back).
struct Respring : NoFields {
    static constexpr std::string_view kOp = "respring";
};

struct RespringReply {
    WIRE_FIELDS((bool, ok, false),
                (std::optional<int64_t>, oldPid),  // none: no SpringBoard was running
                (int64_t, newPid, 0))
};

// Ends every process of the device, then simd. Reply: Reply accepted, once all have gone.
struct Shutdown : NoFields {
    static constexpr std::string_view kOp = "shutdown";
};

}  // namespace wire
