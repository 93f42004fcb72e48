// Time zones from the host's tz database through CCTZ, and the system zone the device's
// backend names. The calendar (NSCalendar.cpp) works in them.
#include <Foundation/Foundation.h>
#include <backend/Backend.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "TimeZoneInternals.h"

namespace {
std::mutex systemZoneLock;
std::optional<NSTimeZone> systemZone;  // looked up on first use, kept until reset

NSTimeZone utcZone() {
    static const NSTimeZone utc = *NSTimeZone::timeZoneWithName("UTC");
    return utc;
}
}  // namespace

namespace foundation {

cctz::time_point<cctz::seconds> momentOf(const NSDate& date) {
    const double since1970 = date.timeIntervalSince1970();
    const double pinned =
        std::isfinite(since1970) ? std::clamp(std::floor(since1970), -6.7e10, 2.5e11) : 0.0;
    return cctz::time_point<cctz::seconds>(cctz::seconds(static_cast<long long>(pinned)));
}

NSDate dateOf(const cctz::time_point<cctz::seconds>& moment) {
    return NSDate::dateWithTimeIntervalSince1970(
        static_cast<double>(moment.time_since_epoch().count()));
}

}  // namespace foundation

std::optional<NSTimeZone> NSTimeZone::timeZoneWithName(const NSString& name) {
    cctz::time_zone zone;
    if (name.empty() || !cctz::load_time_zone(name, &zone)) return std::nullopt;
    return NSTimeZone(std::make_shared<const Zone>(Zone{name, zone}));
}

NSTimeZone NSTimeZone::systemTimeZone() {
    std::lock_guard lock(systemZoneLock);
    if (!systemZone)
        systemZone =
            timeZoneWithName(platform::processService().timeZoneName()).value_or(utcZone());
    return *systemZone;
}

void NSTimeZone::resetSystemTimeZone() {
    std::lock_guard lock(systemZoneLock);
    systemZone.reset();
}

NSTimeZone NSTimeZone::defaultTimeZone() { return systemTimeZone(); }

NSString NSTimeZone::name() const { return zone_->name; }

NSInteger NSTimeZone::secondsFromGMTForDate(const NSDate& date) const {
    return zone_->zone.lookup(foundation::momentOf(date)).offset;
}

NSInteger NSTimeZone::secondsFromGMT() const { return secondsFromGMTForDate(NSDate::date()); }

BOOL NSTimeZone::isDaylightSavingTimeForDate(const NSDate& date) const {
    return zone_->zone.lookup(foundation::momentOf(date)).is_dst;
}

std::optional<NSDate> NSTimeZone::nextDaylightSavingTimeTransitionAfterDate(
    const NSDate& date) const {
    cctz::time_zone::civil_transition transition;
    if (!zone_->zone.next_transition(foundation::momentOf(date), &transition)) return std::nullopt;
    return foundation::dateOf(zone_->zone.lookup(transition.to).trans);
}
