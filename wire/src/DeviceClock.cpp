#include <base/PlistFile.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace wire {

double hostNow() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

timespec hostTimeout(double hostSeconds) {
    const double seconds = std::isnan(hostSeconds) ? 0 : std::clamp(hostSeconds, 0.0, 86400.0);
    timespec timeout{};
    timeout.tv_sec = static_cast<time_t>(seconds);
    timeout.tv_nsec =
        std::min(999999999L, static_cast<long>((seconds - std::floor(seconds)) * 1e9));
    return timeout;
}

DeviceClock DeviceClock::startingAt(double host, double referenceSeconds, double rate) {
    return DeviceClock{host, referenceSeconds + kReferenceDateSince1970, rate, referenceSeconds};
}

DeviceClock DeviceClock::withWallClock(double referenceSeconds, double host) const {
    DeviceClock set = *this;
    set.elapsedEpoch = elapsedAt(host);
    set.hostEpoch = host;
    set.deviceEpoch = referenceSeconds + kReferenceDateSince1970;
    return set;
}

double DeviceClock::elapsedAt(double hostSeconds) const {
    return elapsedEpoch + (hostSeconds - hostEpoch) * rate;
}

double DeviceClock::hostTimeAtElapsed(double elapsed) const {
    return hostEpoch + (elapsed - elapsedEpoch) / rate;
}

double DeviceClock::elapsedNow() const { return elapsedAt(hostNow()); }

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
    dict.Set("elapsedEpoch", PList::Real(elapsedEpoch));
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
    const auto elapsed = number(dict, "elapsedEpoch");
    if (elapsed && !std::isfinite(*elapsed)) {
        if (error) *error = "has an elapsedEpoch that is not a number";
        return std::nullopt;
    }
    clock.hostEpoch = *host;
    clock.deviceEpoch = *device;
    clock.rate = *rate;
    clock.elapsedEpoch = elapsed.value_or(*device - kReferenceDateSince1970);
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
