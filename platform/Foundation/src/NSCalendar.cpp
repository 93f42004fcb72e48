// The Gregorian calendar on the wall clock of a time zone of the tz database.
#include <Foundation/Foundation.h>

#include "TimeZoneInternals.h"

NSCalendar NSCalendar::currentCalendar() { return NSCalendar(NSTimeZone::defaultTimeZone()); }

NSDateComponents NSCalendar::componentsFromDate(NSUInteger unitFlags, const NSDate& date) const {
    const cctz::civil_second wall = cctz::convert(foundation::momentOf(date), zone_.zone_->zone);
    NSDateComponents c;
    if (unitFlags & NSYearCalendarUnit) c.year = static_cast<NSInteger>(wall.year());
    if (unitFlags & NSMonthCalendarUnit) c.month = wall.month();
    if (unitFlags & NSDayCalendarUnit) c.day = wall.day();
    if (unitFlags & NSHourCalendarUnit) c.hour = wall.hour();
    if (unitFlags & NSMinuteCalendarUnit) c.minute = wall.minute();
    if (unitFlags & NSSecondCalendarUnit) c.second = wall.second();
    return c;
}

NSDate NSCalendar::dateFromComponents(const NSDateComponents& c) const {
    // civil_second carries fields over their range; `pre` reads the wall time with the offset
    // in force before any change at it: a skipped time lands after the gap by the time it
    // lies inside it, a repeated one on its first occurrence.
    const cctz::civil_second wall(c.year, c.month, c.day, c.hour, c.minute, c.second);
    return foundation::dateOf(zone_.zone_->zone.lookup(wall).pre);
}
