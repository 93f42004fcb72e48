#include <cctz/time_zone.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <regex>

namespace wire {

namespace {
namespace fs = std::filesystem;

std::string zoneFile(const std::string& zone) { return std::string(kZoneInfoFolder) + "/" + zone; }
}  // namespace

bool knownZone(const std::string& name) {
    // Words of letters, digits, '_', '+' and '-' between single slashes: no dots, so no way
    // up and out of the database, and none of its tables (zone.tab, tzdata.zi).
    static const std::regex pattern("[A-Za-z0-9_+-]+(/[A-Za-z0-9_+-]+)*");
    if (name.empty() || name.size() > 128 || !std::regex_match(name, pattern)) return false;
    if (name == "localtime" || name == "posixrules") return false;
    std::error_code ec;
    if (!fs::is_regular_file(zoneFile(name), ec)) return false;
    cctz::time_zone zone;
    return cctz::load_time_zone(name, &zone);
}

std::string deviceZone(const std::string& hostRoot) {
    std::error_code ec;
    const std::string target = fs::read_symlink(inRoot(hostRoot, paths::kTimeZone), ec).string();
    const std::string folder = std::string(kZoneInfoFolder) + "/";
    if (ec || target.compare(0, folder.size(), folder) != 0) return kDefaultZone;
    const std::string name = target.substr(folder.size());
    return knownZone(name) ? name : kDefaultZone;
}

bool setDeviceZone(const std::string& hostRoot, const std::string& zone, std::string* error) {
    if (!knownZone(zone)) {
        if (error) *error = "\"" + zone + "\" is no zone of the tz database";
        return false;
    }
    const fs::path link = inRoot(hostRoot, paths::kTimeZone);
    std::error_code ec;
    fs::create_directories(link.parent_path(), ec);
    // A new link beside the old one, renamed over it: a reader sees one zone or the other.
    const std::string fresh = link.string() + ".new-" + std::to_string(getpid());
    fs::remove(fresh, ec);
    if (symlink(zoneFile(zone).c_str(), fresh.c_str()) != 0 ||
        rename(fresh.c_str(), link.c_str()) != 0) {
        if (error)
            *error = "cannot write " + std::string(paths::kTimeZone) + ": " + std::strerror(errno);
        fs::remove(fresh, ec);
        return false;
    }
    return true;
}

std::string formatLocalTime(double referenceSeconds, const std::string& zone) {
    cctz::time_zone tz;
    if (!knownZone(zone) || !cctz::load_time_zone(zone, &tz)) tz = cctz::utc_time_zone();
    const auto since1970 = static_cast<long long>(
        std::floor(clampToWritableYears(referenceSeconds) + kReferenceDateSince1970));
    const cctz::time_point<cctz::seconds> moment{cctz::seconds(since1970)};
    return cctz::format("%E4Y-%m-%dT%H:%M:%S", moment, tz);
}

}  // namespace wire
