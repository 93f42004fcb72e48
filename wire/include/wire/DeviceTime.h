// Device times: seconds since the reference date (2001-01-01 00:00:00 UTC), the unit of
// CFAbsoluteTime and of property-list dates. The device's wall clock is kept in UTC.
#pragma once

#include <optional>
#include <string>

namespace wire {

inline constexpr double kReferenceDateSince1970 = 978307200.0;

// The device times a date can be written for: 0000-01-01T00:00:00 to 9999-12-31T23:59:59.
inline constexpr double kEarliestWritableTime = -62167219200.0 - kReferenceDateSince1970;
inline constexpr double kLatestWritableTime = 253402300799.0 - kReferenceDateSince1970;
// The time itself when a date can be written for it, else the nearest that can (a clock that
// ran past the year 9999 reads as its last second); NaN reads as the reference date.
double clampToWritableYears(double referenceSeconds);

// "YYYY-MM-DDTHH:MM:SS" of the device's wall clock (fractions of a second dropped).
std::string formatDeviceTime(double referenceSeconds);
// Reads "YYYY-MM-DD HH:MM:SS" (or with a 'T' between date and time); null for anything else,
// including impossible dates such as 2010-02-30.
std::optional<double> parseDeviceTime(const std::string& text);

}  // namespace wire
