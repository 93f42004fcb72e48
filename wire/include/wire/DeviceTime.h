// Device times: seconds since the reference date (2001-01-01 00:00:00 UTC), the unit of
// CFAbsoluteTime and of property-list dates. The device's wall clock is kept in UTC.
#pragma once

#include <optional>
#include <string>

namespace wire {

inline constexpr double kReferenceDateSince1970 = 978307200.0;

// "YYYY-MM-DDTHH:MM:SS" of the device's wall clock (fractions of a second dropped).
std::string formatDeviceTime(double referenceSeconds);
// Reads "YYYY-MM-DD HH:MM:SS" (or with a 'T' between date and time); null for anything else,
// including impossible dates such as 2010-02-30.
std::optional<double> parseDeviceTime(const std::string& text);

}  // namespace wire
