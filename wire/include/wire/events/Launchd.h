// The events of launchd: its jobs loaded, started, ended and unloaded, and the files it could
// not use.
#pragma once

#include <wire/events/Event.h>

namespace wire::events {

inline constexpr std::string_view kLaunchdSource = "launchd";

struct JobLoaded {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-loaded";
    WIRE_FIELDS((std::string, label), (std::string, file))  // a device path
};

struct JobUnloaded {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-unloaded";
    WIRE_FIELDS((std::string, label))
};

struct JobStarted {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-started";
    WIRE_FIELDS((std::string, label), (int64_t, pid, 0))
};

// The job's grace after SIGTERM ran out.
struct JobKilled {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-killed";
    WIRE_FIELDS((std::string, label), (int64_t, pid, 0))
};

struct JobEnded {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-ended";
    WIRE_FIELDS((std::string, label), (int64_t, pid, 0),
                (std::optional<int64_t>, signal),  // when a signal ended it
                (std::optional<int64_t>, status))  // when it exited
};

struct JobStartFailed {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-start-failed";
    WIRE_FIELDS((std::string, label), (std::string, program), (std::string, error))
};

// A job file that cannot be loaded, or whose label another file has.
struct JobInvalid {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "job-invalid";
    WIRE_FIELDS((std::string, file), (std::string, error))
};

// The overrides database could not be read; it counts as empty.
struct OverridesInvalid {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "overrides-invalid";
    WIRE_FIELDS((std::string, error))
};

struct OverridesUnwritable {
    static constexpr std::string_view kSource = kLaunchdSource;
    static constexpr std::string_view kEvent = "overrides-unwritable";
    WIRE_FIELDS((std::string, file))
};

}  // namespace wire::events
