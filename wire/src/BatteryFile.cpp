#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <wire/BatteryFile.h>
#include <wire/DeviceLimits.h>
#include <wire/DevicePaths.h>

#include <filesystem>

namespace wire {

namespace {

bool withinBounds(const BatteryRecord& b) {
    const BatteryRates& r = b.rates;
    if (!limits::batteryLevelAccepted(b.level)) return false;
    for (double rate : {r.asleep, r.dark, r.lit, r.charge, r.chargeAbove80})
        if (!limits::batteryRateAccepted(rate)) return false;
    return true;
}

}  // namespace

BatteryRecord loadBattery(const std::string& hostRoot, std::string* error) {
    const base::PlistFile file = base::readPlistFile(inRoot(hostRoot, paths::kBattery));
    if (file.state == base::PlistFile::State::Missing) return {};
    const PList::Dictionary* dict = file.dictionary();
    std::string why;
    if (!file.loaded())
        why = "the battery file " + file.error;
    else if (!dict)
        why = "the battery file is not a dictionary";
    if (why.empty()) {
        BatteryRecord battery = decode<BatteryRecord>(*dict);
        if (withinBounds(battery)) return battery;
        why = "the battery file holds a level or rate out of bounds";
    }
    if (error) *error = why;
    return {};
}

bool saveBattery(const std::string& hostRoot, const BatteryRecord& battery) {
    const std::string path = inRoot(hostRoot, paths::kBattery);
    base::makeDirectories(std::filesystem::path(path).parent_path().string());
    return base::writeFileAtomically(path, base::plistToXml(encode(battery)));
}

}  // namespace wire
