// What NSTimeZone and NSCalendar share inside Foundation: a zone as CCTZ holds it, and dates
// as CCTZ's moments.
#pragma once

#include <Foundation/Foundation.h>

#include <cctz/civil_time.h>
#include <cctz/time_zone.h>
#include <string>

struct NSTimeZone::Zone {
    std::string name;
    cctz::time_zone zone;
};

namespace foundation {

// The whole second a date falls in; moments no calendar can name (not finite, or far beyond
// any year) are pinned to a range the tz database's arithmetic handles.
cctz::time_point<cctz::seconds> momentOf(const NSDate& date);
NSDate dateOf(const cctz::time_point<cctz::seconds>& moment);

}  // namespace foundation
