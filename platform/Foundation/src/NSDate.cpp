// Dates count seconds from the reference date on the device's wall clock. The simulated
// device keeps its wall clock in UTC, so local time and calendar arithmetic are UTC's.
#include <Foundation/Foundation.h>
#include <backend/Backend.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

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

NSCalendar& NSCalendar::currentCalendar() {
    static NSCalendar calendar;
    return calendar;
}

NSDateComponents NSCalendar::componentsFromDate(NSUInteger unitFlags, const NSDate& date) const {
    // Moments no calendar can name (not finite, or beyond any year) are pinned to a range
    // gmtime handles.
    const double since1970 = date.timeIntervalSince1970();
    const auto seconds = static_cast<time_t>(
        std::isfinite(since1970) ? std::clamp(std::floor(since1970), -6.7e10, 2.5e11) : 0.0);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    NSDateComponents c;
    if (unitFlags & NSYearCalendarUnit) c.year = tm.tm_year + 1900;
    if (unitFlags & NSMonthCalendarUnit) c.month = tm.tm_mon + 1;
    if (unitFlags & NSDayCalendarUnit) c.day = tm.tm_mday;
    if (unitFlags & NSHourCalendarUnit) c.hour = tm.tm_hour;
    if (unitFlags & NSMinuteCalendarUnit) c.minute = tm.tm_min;
    if (unitFlags & NSSecondCalendarUnit) c.second = tm.tm_sec;
    return c;
}

NSDate NSCalendar::dateFromComponents(const NSDateComponents& c) const {
    std::tm tm{};
    tm.tm_year = static_cast<int>(c.year) - 1900;
    tm.tm_mon = static_cast<int>(c.month) - 1;
    tm.tm_mday = static_cast<int>(c.day);
    tm.tm_hour = static_cast<int>(c.hour);
    tm.tm_min = static_cast<int>(c.minute);
    tm.tm_sec = static_cast<int>(c.second);
    return NSDate::dateWithTimeIntervalSince1970(static_cast<double>(timegm(&tm)));
}
