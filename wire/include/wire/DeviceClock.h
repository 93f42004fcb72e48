// The device clock: device time is a function of host time. Two clocks run at the same rate:
//   wall     = deviceEpoch + (host - hostEpoch) x rate   (what dates and the calendar read)
//   elapsed  = elapsedEpoch + (host - hostEpoch) x rate  (what timers count)
// Both count on while the device sleeps. They read alike until the wall clock is set (as the
// network does): a set moves the wall clock alone, so timers are not shifted by it. Kept in
// the root's var/run/sim/clock.plist (hostEpoch and deviceEpoch as seconds since 1970,
// elapsedEpoch in device seconds since the reference date, rate) so every process of one
// device follows the same clock. Host time is the host's wall clock (CLOCK_REALTIME).
//
// The arithmetic is plain doubles: no input makes it overflow, and every conversion to an
// integer (a timeout, a calendar date) is bounded where it is made.
#pragma once

#include <plist/plist++.h>
#include <time.h>

#include <optional>
#include <string>

namespace wire {

struct DeviceClock {
    double hostEpoch = 0;    // host seconds since 1970
    double deviceEpoch = 0;  // device wall clock at hostEpoch, seconds since 1970
    double rate = 1;
    double elapsedEpoch = 0;  // elapsed device time at hostEpoch, seconds since the reference date

    // A clock that starts at host time `host` with its wall clock and elapsed time both at
    // `referenceSeconds` (device seconds since the reference date).
    static DeviceClock startingAt(double host, double referenceSeconds, double rate);
    // This clock with its wall clock set to `referenceSeconds` at host time `host`; the
    // elapsed time runs on as it was.
    DeviceClock withWallClock(double referenceSeconds, double host) const;

    // Device wall time (seconds since the reference date) at a host time (seconds since 1970).
    double deviceTimeAt(double hostSeconds) const;
    // The host time at which the device's wall clock reads `referenceSeconds`.
    double hostTimeAt(double referenceSeconds) const;
    // Elapsed device time at a host time, and the host time at which it reads `elapsed`.
    double elapsedAt(double hostSeconds) const;
    double hostTimeAtElapsed(double elapsed) const;
    double now() const;
    double elapsedNow() const;

    PList::Dictionary toPlist() const;
    // Null (and `error`) when the dictionary lacks a field or the rate is not positive. A file
    // written before the elapsed clock existed reads as one whose clocks were never set apart.
    static std::optional<DeviceClock> fromPlist(const PList::Dictionary& dict, std::string* error);
    static std::optional<DeviceClock> load(const std::string& hostRoot, std::string* error);
};

// The host's wall clock, seconds since 1970.
double hostNow();
// A wait of `hostSeconds` for ppoll: never negative, at most a day (NaN waits not at all).
timespec hostTimeout(double hostSeconds);

}  // namespace wire
