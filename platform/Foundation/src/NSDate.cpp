// Dates count seconds from the reference date on the device's wall clock (UTC); their
// descriptions show the default time zone's wall clock.
#include <Foundation/Foundation.h>
#include <backend/Backend.h>

#include <cstdio>

NSDate NSDate::date() { return NSDate(platform::processService().now()); }

NSDate NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval seconds) {
    return NSDate(platform::processService().now() + seconds);
}

NSDate NSDate::dateWithTimeIntervalSince1970(NSTimeInterval seconds) {
    return NSDate(seconds - kCFAbsoluteTimeIntervalSince1970);
}

NSDate NSDate::dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds) {
    return NSDate(seconds);
}

NSTimeInterval NSDate::timeIntervalSince1970() const {
    return sinceReferenceDate_ + kCFAbsoluteTimeIntervalSince1970;
}

NSTimeInterval NSDate::timeIntervalSinceDate(const NSDate& other) const {
    return sinceReferenceDate_ - other.sinceReferenceDate_;
}

NSDate NSDate::dateByAddingTimeInterval(NSTimeInterval seconds) const {
    return NSDate(sinceReferenceDate_ + seconds);
}

NSString NSDate::description() const {
    const NSDateComponents c = NSCalendar::currentCalendar().componentsFromDate(
        NSYearCalendarUnit | NSMonthCalendarUnit | NSDayCalendarUnit | NSHourCalendarUnit |
            NSMinuteCalendarUnit | NSSecondCalendarUnit,
        *this);
    char text[32];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld %02ld:%02ld:%02ld", c.year, c.month, c.day,
                  c.hour, c.minute, c.second);
    return text;
}
