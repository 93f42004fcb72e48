#include "ClockService.h"

#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <wire/DeviceLimits.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/events/Simd.h>

namespace simd {

ClockService::ClockService(std::string hostRoot, wire::DeviceClock& clock, EventWriter& log)
    : root_(std::move(hostRoot)), clock_(clock), log_(log) {}

void ClockService::setTime(const Caller& caller, const wire::SetTime& request) {
    const std::optional<double> time = request.time;
    if (!time || !wire::limits::clockTimeAccepted(*time))
        return caller.refuse("set-time needs a time in the years " + wire::limits::clockYears());
    const double host = wire::hostNow();
    const double before = clock_.deviceTimeAt(host);
    const wire::DeviceClock set = clock_.withWallClock(*time, host);
    // The file first: every other process reads the clock from it.
    if (!base::writeFileAtomically(wire::inRoot(root_, wire::paths::kClock),
                                   base::plistToXml(set.toPlist())))
        return caller.refuse("cannot write the device clock " + std::string(wire::paths::kClock));
    clock_ = set;
    log_.write(
        wire::events::ClockSet{wire::formatDeviceTime(before), wire::formatDeviceTime(*time)});
    for (const auto& follow : clockSet_) follow(*time - before);
    caller.reply(wire::Reply::accepted());
}

void ClockService::setTimeZone(const Caller& caller, const wire::SetTimeZone& request) {
    const std::string before = wire::deviceZone(root_);
    std::string error;
    if (!wire::setDeviceZone(root_, request.zone, &error)) return caller.refuse(error);
    log_.write(wire::events::TimezoneChanged{before, request.zone});
    for (const auto& follow : zoneChanged_) follow();
    caller.reply(wire::Reply::accepted());
}

}  // namespace simd
