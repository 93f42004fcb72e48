// What the device's event log and settings say about the guard, for the app's end-to-end tests.
#pragma once

#include <string>
#include <vector>

#include "DeviceSession.h"
#include "LogLines.h"

namespace apptest {

using e2e::Json;
using Events = std::vector<Json>;

// What the app and the guard must show and send, written out here so that a change of any of
// them in the app's own constants fails a test.
inline constexpr char kSettingsDomain[] = "com.quillmoor.vigilantpro";
inline constexpr char kJobLabel[] = "com.quillmoor.vigilantpro";  // also the wake-ups' owner
inline constexpr char kItem[] = "VigilantPro";
inline constexpr char kRebootHint[] =
    "A reboot is required for the status bar icon to appear after the first installation.";
inline constexpr char kKeepAliveBody[] =
    "VigilantSubstrate is required to hide this message. Turn Vigilant off or if you have "
    "uninstalled Vigilant restart your device to stop this message.";
inline constexpr char kKeepAliveLaunchImage[] = "IPHONE_VIGILANT_1234567890_ABCDEFGH";
inline constexpr char kScheduleRefusalTitle[] = "Vigilant Pro";
inline constexpr char kScheduleRefusal[] = "Sorry scheduling isn't compatible with iOS 4.0 yet.";
inline constexpr double kHostBudget = 180;  // real seconds any one wait may take

using e2e::eventsWith;

// Process ids of the guard job's starts, in order.
inline std::vector<long long> daemonStarts(const Events& events) {
    return e2e::jobStarts(events, kJobLabel);
}

inline bool daemonEnded(const Events& events, long long pid) {
    return !eventsWith<wire::events::JobEnded>(events, "pid", pid).empty();
}

// `simctl defaults read` of one setting, without its line end; empty when it is not stored.
inline std::string storedSetting(e2e::DeviceSession& device, const std::string& key) {
    const e2e::CommandResult read =
        device.simctl({"defaults", device.root(), "read", kSettingsDomain, key});
    if (read.status != 0) return "";
    std::string value = read.output;
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
    return value;
}

// The guard job's entry in `simctl status`; null when it is not there.
inline Json guardJob(const Json& status) {
    if (!status.is_object() || !status.contains("jobs")) return nullptr;
    for (const Json& job : status["jobs"])
        if (job.value("label", "") == kJobLabel) return job;
    return nullptr;
}

}  // namespace apptest
