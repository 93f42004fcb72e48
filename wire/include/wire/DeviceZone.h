// The device's time zone: a zone of the host's tz database by its IANA name ("Europe/Berlin"),
// kept as a symbolic link at paths::kTimeZone to the zone's file. Every device process reads
// its local time through it; simctl and simd change it.
#pragma once

#include <string>

namespace wire {

// The host's tz database (Debian's tzdata), whose zones the device can be in.
inline constexpr const char* kZoneInfoFolder = "/usr/share/zoneinfo";
// The zone of a device that was never given one.
inline constexpr const char* kDefaultZone = "UTC";

// True for the name of a zone of the host's tz database: a relative path of plain words
// ("America/New_York", "UTC") naming a zone file there that loads. Names that lead out of the
// database, its tables and "localtime" (the host's own zone, which the device does not follow)
// are none.
bool knownZone(const std::string& name);

// The zone the device at `hostRoot` is in: the name its link points at; kDefaultZone when it
// has no link or one that names no known zone.
std::string deviceZone(const std::string& hostRoot);
// Points the device's link at the zone's file, replacing the old link in one step. False (and
// `error`) when the zone is unknown or the link cannot be written; nothing changes then.
bool setDeviceZone(const std::string& hostRoot, const std::string& zone, std::string* error);

// "YYYY-MM-DDTHH:MM:SS" of the device's local time in `zone` (UTC when it is unknown), at a
// device time in seconds since the reference date.
std::string formatLocalTime(double referenceSeconds, const std::string& zone);

}  // namespace wire
