// The device clock: device time is a function of host time,
//   device = deviceEpoch + (host - hostEpoch) x rate,
// kept in the root's var/run/sim/clock.plist (hostEpoch and deviceEpoch as seconds since
// 1970, rate) so every process of one device follows the same clock. Host time is the host's
// wall clock (CLOCK_REALTIME).
#pragma once

#include <plist/plist++.h>

#include <optional>
#include <string>

namespace wire {

struct DeviceClock {
    double hostEpoch = 0;    // host seconds since 1970
    double deviceEpoch = 0;  // device seconds since 1970
    double rate = 1;

    // Device time (seconds since the reference date) at a host time (seconds since 1970).
    double deviceTimeAt(double hostSeconds) const;
    // The host time at which the device clock reads `referenceSeconds`.
    double hostTimeAt(double referenceSeconds) const;
    double now() const;

    PList::Dictionary toPlist() const;
    // Null (and `error`) when the dictionary lacks a field or the rate is not positive.
    static std::optional<DeviceClock> fromPlist(const PList::Dictionary& dict, std::string* error);
    static std::optional<DeviceClock> load(const std::string& hostRoot, std::string* error);
};

// The host's wall clock, seconds since 1970.
double hostNow();

}  // namespace wire
