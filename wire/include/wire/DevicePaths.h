// Device paths of the files and folders the simulated device's parties share, and the
// translation between device paths and host paths of one root.
#pragma once

#include <optional>
#include <string>

namespace wire::paths {

inline constexpr const char* kSystemVersion = "/System/Library/CoreServices/SystemVersion.plist";
inline constexpr const char* kLaunchDaemons = "/System/Library/LaunchDaemons";
inline constexpr const char* kSpringBoard =
    "/System/Library/CoreServices/SpringBoard.app/SpringBoard";
inline constexpr const char* kOverrides =
    "/private/var/db/launchd.db/com.apple.launchd/overrides.plist";
inline constexpr const char* kAutoWake =
    "/private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist";
inline constexpr const char* kPreferences = "/var/root/Library/Preferences";
// The device's time zone, as on the phone: a symbolic link to the zone's file in the host's tz
// database (/usr/share/zoneinfo/Europe/Berlin); the zone's name is the link's target there.
inline constexpr const char* kTimeZone = "/private/var/db/timezone/localtime";
inline constexpr const char* kLocalNotifications =
    "/var/mobile/Library/SpringBoard/LocalNotifications.plist";
// The battery's level, power source and rates (wire::BatteryRecord), kept across shutdowns.
inline constexpr const char* kBattery = "/private/var/db/sim/battery.plist";
inline constexpr const char* kAlerts = "/var/mobile/Library/SpringBoard/Alerts.plist";
// simd's run folder: the services' sockets and the files of a booted device, owner-only.
inline constexpr const char* kRunFolder = "/var/run/sim";
inline constexpr const char* kClock = "/var/run/sim/clock.plist";
inline constexpr const char* kStatusBar = "/var/run/sim/statusbar.plist";
inline constexpr const char* kSimdPid = "/var/run/sim/simd.pid";
// Locked by the running simd for its whole life; never removed (a new file would be a new lock).
inline constexpr const char* kSimdLock = "/var/run/sim/simd.lock";
inline constexpr const char* kLogFolder = "/var/log/sim";
inline constexpr const char* kEvents = "/var/log/sim/events.jsonl";
inline constexpr const char* kDpkgInfo = "/var/lib/dpkg/info";
// Every installed package's record (its control fields and Status), as the phone's dpkg keeps it.
inline constexpr const char* kDpkgStatus = "/var/lib/dpkg/status";
inline constexpr const char* kTemporary = "/private/var/tmp";
inline constexpr const char* kDynamicLibraries = "/Library/MobileSubstrate/DynamicLibraries";
inline constexpr const char* kAppBundle = "/Applications/VigilantPro.app";

// The environment variable that names a device process's root (absolute host path).
inline constexpr const char* kRootVariable = "SIMDEVICE_ROOT";

}  // namespace wire::paths

namespace wire {

// The device path of the socket the service `service` ("simd") listens on, in the run folder.
std::string serviceSocket(const std::string& service);

// A device path in its one spelling, as a process whose root is the device's sees it.
struct DevicePath {
    std::string path;        // absolute; no ".", ".." or empty components ("/" for the root)
    bool climbsOut = false;  // a ".." tried to go above the root (and stayed at it)
    bool hasDotDot = false;  // it had a ".." component at all
};
// Takes `path` ("/a//b/./../c", relative ones counted from the root) to its one spelling.
// ".." at the root stays at the root, as it does for the phone's own processes: no device
// path can name anything above it. Every device path goes through here before it meets the
// host's file system.
DevicePath normalDevicePath(const std::string& path);

// The host path of `devicePath` ("/bin/launchctl") on the device at `hostRoot`: always inside
// the root (the root itself for "/").
std::string inRoot(const std::string& hostRoot, const std::string& devicePath);
// The device path of `hostPath` when it lies inside `hostRoot` once "." and ".." are taken
// out (the root itself is "/").
std::optional<std::string> deviceView(const std::string& hostRoot, const std::string& hostPath);
// A path given by a user of the device: a host path inside the root, or else a device path;
// either way its host path inside the root.
std::string resolveDeviceArgument(const std::string& hostRoot, const std::string& path);

}  // namespace wire
