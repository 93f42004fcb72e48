// What simctl status reads from the device's files rather than from simd, beside the system
// version (wire/SystemVersion.h): the status bar, the wake requests, SpringBoard's
// notifications and alerts. A missing file reads as nothing; a damaged one reads as nothing
// too and adds a line to `problems`.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace simctl {

struct FileReport {
    nlohmann::ordered_json value;
    std::vector<std::string> problems;
};

FileReport statusBarItems(const std::string& root);
FileReport wakeRequests(const std::string& root);
FileReport bookedNotifications(const std::string& root);
FileReport shownAlerts(const std::string& root);

}  // namespace simctl
