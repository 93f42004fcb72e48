#include "StatusReport.h"

#include <base/PlistFile.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/WakeList.h>

namespace simctl {

using nlohmann::ordered_json;

namespace {

// The file's root array; null (with a problem noted) when the file is damaged or no array.
PList::Array* rootArray(base::PlistFile& file, const char* devicePath, FileReport& report) {
    if (file.state == base::PlistFile::State::Missing) return nullptr;
    if (!file.loaded()) {
        report.problems.push_back(std::string(devicePath) + " " + file.error);
        return nullptr;
    }
    if (file.root->GetType() != PLIST_ARRAY) {
        report.problems.push_back(std::string(devicePath) + " is not an array");
        return nullptr;
    }
    return static_cast<PList::Array*>(file.root.get());
}

ordered_json stringOrNull(const PList::Dictionary& dict, const char* key) {
    const std::optional<std::string> s = base::stringAt(dict, key);
    return s ? ordered_json(*s) : ordered_json(nullptr);
}

ordered_json dateOrNull(const PList::Dictionary& dict, const char* key) {
    const std::optional<double> d = base::dateAt(dict, key);
    return d ? ordered_json(wire::formatDeviceTime(*d)) : ordered_json(nullptr);
}

template <class Each>
FileReport eachDictionary(const std::string& root, const char* devicePath, Each each) {
    FileReport report{ordered_json::array(), {}};
    base::PlistFile file = base::readPlistFile(wire::inRoot(root, devicePath));
    PList::Array* array = rootArray(file, devicePath, report);
    if (!array) return report;
    for (size_t i = 0; i < base::arraySize(*array); ++i) {
        const std::unique_ptr<PList::Node> node = base::arrayItem(*array, i);
        if (!node || node->GetType() != PLIST_DICT) {
            report.problems.push_back(std::string(devicePath) + ": entry " + std::to_string(i) +
                                      " is not a dictionary");
            continue;
        }
        report.value.push_back(each(*static_cast<PList::Dictionary*>(node.get())));
    }
    return report;
}

}  // namespace

FileReport statusBarItems(const std::string& root) {
    FileReport report{ordered_json::array(), {}};
    base::PlistFile file = base::readPlistFile(wire::inRoot(root, wire::paths::kStatusBar));
    PList::Array* array = rootArray(file, wire::paths::kStatusBar, report);
    if (!array) return report;
    for (size_t i = 0; i < base::arraySize(*array); ++i) {
        const std::unique_ptr<PList::Node> node = base::arrayItem(*array, i);
        if (node && node->GetType() == PLIST_STRING)
            report.value.push_back(static_cast<PList::String*>(node.get())->GetValue());
    }
    return report;
}

FileReport wakeRequests(const std::string& root) {
    FileReport report{ordered_json::array(), {}};
    const wire::WakeList list = wire::WakeList::load(wire::inRoot(root, wire::paths::kAutoWake));
    if (!list.error().empty()) report.problems.push_back(list.error());
    for (const std::string& p : list.problems())
        report.problems.push_back("wake-request list: " + p);
    for (const wire::WakeRequest& r : list.requests())
        report.value.push_back(
            {{"time", wire::formatDeviceTime(r.time)}, {"scheduledby", r.scheduledBy}});
    return report;
}

FileReport bookedNotifications(const std::string& root) {
    return eachDictionary(root, wire::paths::kLocalNotifications, [](const PList::Dictionary& d) {
        return ordered_json{{"app", stringOrNull(d, "app")},
                            {"fireDate", dateOrNull(d, "fireDate")},
                            {"repeat", stringOrNull(d, "repeat")},
                            {"body", stringOrNull(d, "body")},
                            {"launchImage", stringOrNull(d, "launchImage")}};
    });
}

FileReport shownAlerts(const std::string& root) {
    return eachDictionary(root, wire::paths::kAlerts, [](const PList::Dictionary& d) {
        return ordered_json{{"time", dateOrNull(d, "time")},
                            {"body", stringOrNull(d, "body")},
                            {"launchImage", stringOrNull(d, "launchImage")}};
    });
}

}  // namespace simctl
