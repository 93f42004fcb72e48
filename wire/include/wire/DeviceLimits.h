// What a simulated device's clock and power manager can keep: the bounds of simctl boot's
// --rate, --idle-sleep and --time, of set-time, and of simd's own options. Outside them device
// times stop being dates the device can write.
#pragma once

#include <string>

namespace wire::limits {

// Device time runs `rate` times real time. Above the top a second of real time is more than a
// device day, and the clock soon leaves the years below; under the bottom the 20 device
// seconds a job is given to end at shutdown would be hours of real time.
inline constexpr double kMinRate = 0.01;
inline constexpr double kMaxRate = 100000;

// Device seconds idle before the power manager tries to sleep: 0 (never on its own) up to a
// device day.
inline constexpr double kMaxIdleSleep = 86400;

// The years a device's wall clock may be set to, at boot or later. The phone's time_t has 32 bits
// (it ends in January 2038), and the property-list dates of the wake-request list and SpringBoard's
// files hold seconds since 2001 in 32 bits as libplist 2.2 keeps them (December 1932 to January
// 2069), which leaves the clock three decades to run.
inline constexpr int kFirstYear = 1970;
inline constexpr int kLastYear = 2037;

// A battery's rates, in percent of a full charge per device hour: 0 (never) up to a full charge
// in a device second, beyond which a level's whole percents pass between two looks at it.
inline constexpr double kMaxBatteryRate = 360000;

bool rateAccepted(double rate);
bool idleSleepAccepted(double seconds);
bool batteryLevelAccepted(double percent);  // 0 to 100
bool batteryRateAccepted(double percentPerHour);
// `referenceSeconds`: device seconds since 2001-01-01 00:00:00 UTC.
bool clockTimeAccepted(double referenceSeconds);

// The bounds in words ("0.01 to 100000", "1970 to 2037"), for the messages that refuse a
// value and for --help.
std::string rateBounds();
std::string idleSleepBounds();
std::string clockYears();
std::string batteryRateBounds();

}  // namespace wire::limits
