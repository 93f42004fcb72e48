// What the control app says to launchd and to SpringBoard to run the guard, and to its user.
// The guard's job and image are VigilantProIdentity.h's, shared with the daemon.
#pragma once

#include <string>

#include "VigilantProIdentity.h"

// The job file's path fills the %s.
inline constexpr char kStartCommandFormat[] = "/bin/launchctl load -w %s";
inline constexpr char kStopCommandFormat[] = "/bin/launchctl unload -w %s";
inline constexpr char kListCommand[] = "/bin/launchctl list";
// A listed job's label is the last tab-separated column of its line.
inline const std::string kRunningMarker = std::string("\t") + kJobLabel;

inline constexpr double kKeepAliveFirstFiring = 60.0;  // seconds after booking
inline constexpr char kKeepAliveBody[] =
    "VigilantSubstrate is required to hide this message. Turn Vigilant off or if you have "
    "uninstalled Vigilant restart your device to stop this message.";

inline constexpr char kRebootHint[] =
    "A reboot is required for the status bar icon to appear after the first installation.";
inline constexpr char kScheduleRefusalTitle[] = "Vigilant Pro";
inline constexpr char kScheduleRefusal[] = "Sorry scheduling isn't compatible with iOS 4.0 yet.";
inline constexpr char kBatteryFloorRefusal[] =
    "Sorry sparing the battery isn't compatible with iOS 4.0 yet: the keep-alive notification "
    "cannot be paused.";
// The floor set the first time "Spare Battery" is switched on, in percent.
inline constexpr int kDefaultBatteryFloor = 20;
inline constexpr int kCommandBufferSize = 1024;
