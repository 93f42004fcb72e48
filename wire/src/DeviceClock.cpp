#include <base/PlistFile.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>

#include <cmath>
#include <ctime>

namespace wire {

double hostNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double DeviceClock::deviceTimeAt(double hostSeconds) const {
    return deviceEpoch + (hostSeconds - hostEpoch) * rate - kReferenceDateSince1970;
}

double DeviceClock::hostTimeAt(double referenceSeconds) const {
    return hostEpoch + (referenceSeconds + kReferenceDateSince1970 - deviceEpoch) / rate;
}

double DeviceClock::now() const { return deviceTimeAt(hostNow()); }

PList::Dictionary DeviceClock::toPlist() const {
    PList::Dictionary dict;
    dict.Set("hostEpoch", PList::Real(hostEpoch));
    dict.Set("deviceEpoch", PList::Real(deviceEpoch));
    dict.Set("rate", PList::Real(rate));
    return dict;
}

namespace {
std::optional<double> number(const PList::Dictionary& dict, const std::string& key) {
    const PList::Node* node = base::nodeAt(dict, key);
    if (!node) return std::nullopt;
    if (node->GetType() == PLIST_REAL) return static_cast<const PList::Real*>(node)->GetValue();
    if (node->GetType() == PLIST_UINT)
        return static_cast<double>(
            static_cast<int64_t>(static_cast<const PList::Integer*>(node)->GetValue()));
    return std::nullopt;
}
}  // namespace

std::optional<DeviceClock> DeviceClock::fromPlist(const PList::Dictionary& dict,
                                                  std::string* error) {
    DeviceClock clock;
    const auto host = number(dict, "hostEpoch");
    const auto device = number(dict, "deviceEpoch");
    const auto rate = number(dict, "rate");
    if (!host || !device || !rate) {
        if (error) *error = "lacks hostEpoch, deviceEpoch or rate";
        return std::nullopt;
    }
    if (!(*rate > 0) || !std::isfinite(*rate) || !std::isfinite(*host) || !std::isfinite(*device)) {
        if (error) *error = "has a rate that is not a positive number";
        return std::nullopt;
    }
    clock.hostEpoch = *host;
    clock.deviceEpoch = *device;
    clock.rate = *rate;
    return clock;
}

std::optional<DeviceClock> DeviceClock::load(const std::string& hostRoot, std::string* error) {
    base::PlistFile file = base::readPlistFile(inRoot(hostRoot, paths::kClock));
    if (!file.loaded()) {
        if (error)
            *error = file.state == base::PlistFile::State::Missing ? "is missing" : file.error;
        return std::nullopt;
    }
    const PList::Dictionary* dict = file.dictionary();
    if (!dict) {
        if (error) *error = "is not a dictionary";
        return std::nullopt;
    }
    return fromPlist(*dict, error);
}

}  // namespace wire
