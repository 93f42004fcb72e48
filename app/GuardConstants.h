// What the control app says to launchd and to SpringBoard to run the guard.
#pragma once

inline constexpr char kDaemonLabel[] = "com.quillmoor.vigilantpro";
inline constexpr char kDaemonPlist[] =
    "/System/Library/LaunchDaemons/com.quillmoor.vigilantpro.plist";
inline constexpr char kStartCommandFormat[] = "/bin/launchctl load -w %s";
inline constexpr char kStopCommandFormat[] = "/bin/launchctl unload -w %s";
inline constexpr char kListCommand[] = "/bin/launchctl list";
// A listed job's label is the last tab-separated column of its line.
inline constexpr char kRunningMarker[] = "\tcom.quillmoor.vigilantpro";

inline constexpr double kKeepAliveFirstFiring = 60.0;  // seconds after booking
inline constexpr char kKeepAliveBody[] =
    "VigilantSubstrate is required to hide this message. Turn Vigilant off or if you have "
    "uninstalled Vigilant restart your device to stop this message.";
inline constexpr char kStatusBarImageName[] = "VigilantPro";

inline constexpr char kRebootHint[] =
    "A reboot is required for the status bar icon to appear after the first installation.";
inline constexpr char kScheduleRefusalTitle[] = "Vigilant Pro";
inline constexpr char kScheduleRefusal[] = "Sorry scheduling isn't compatible with iOS 4.0 yet.";
inline constexpr int kCommandBufferSize = 1024;
