// What VigilantPro's two modes, the control app and the guard daemon, must spell alike: the
// guard's launchd job, its status-bar image, and which systems run the guard as that job.
#pragma once

#include <optional>
#include <string_view>

// The job's label (also the identifier the guard books its wake-ups under) and its job file.
inline constexpr char kJobLabel[] = "com.quillmoor.vigilantpro";
inline constexpr char kJobFilePath[] =
    "/System/Library/LaunchDaemons/com.quillmoor.vigilantpro.plist";

// The image the guard shows in the status bar while it holds (on iOS 4 the extension puts it
// back in a SpringBoard that started again).
inline constexpr char kStatusBarImageName[] = "VigilantPro";

// iPhone OS 2 and 3 (a version that begins with "2" or "3") run the guard as launchd's job; the
// generation is 2 or 3 there, and none on every other system, where a keep-alive notification
// stands in for the daemon.
inline std::optional<int> launchdGeneration(std::string_view systemVersion) {
    if (systemVersion.starts_with('2')) return 2;
    if (systemVersion.starts_with('3')) return 3;
    return std::nullopt;
}
