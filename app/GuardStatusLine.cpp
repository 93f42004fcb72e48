#include "GuardStatusLine.h"

#include <cstdio>

#include "VigilantProIdentity.h"

namespace {
constexpr long long kMinutesPerDay = 1440;

NSString clockText(long long minutes) {
    char text[16];
    minutes = ((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
    std::snprintf(text, sizeof text, "%02lld:%02lld", minutes / 60, minutes % 60);
    return text;
}

NSString clockText(const NSCalendar& calendar, const NSDate& date) {
    const NSDateComponents c =
        calendar.componentsFromDate(NSHourCalendarUnit | NSMinuteCalendarUnit, date);
    return clockText(static_cast<long long>(c.hour) * 60 + c.minute);
}

long long wallMinutes(const NSCalendar& calendar, const NSDate& date) {
    const NSDateComponents c =
        calendar.componentsFromDate(NSHourCalendarUnit | NSMinuteCalendarUnit, date);
    return static_cast<long long>(c.hour) * 60 + c.minute;
}

// The daemon's own test: the window holds from its start minute to its end minute, both
// included, across midnight when the start comes after the end.
bool insideWindow(long long now, long long start, long long end) {
    if (start > end) {
        if (now < end) now += kMinutesPerDay;
        end += kMinutesPerDay;
    }
    return now >= start && now <= end;
}

// When the wall clock next shows the start minute. Counted on the real clock, not on the
// wall's, so that a night in which autumn repeats an hour reads an hour longer.
NSDate nextStart(const GuardStatusInput& in) {
    const NSDateComponents today = in.calendar.componentsFromDate(
        NSYearCalendarUnit | NSMonthCalendarUnit | NSDayCalendarUnit, in.now);
    for (NSInteger day = 0; day < 3; ++day) {
        NSDateComponents wall{today.year, today.month, today.day + day, 0, in.windowStart, 0};
        const NSDate first = in.calendar.dateFromComponents(wall);
        if (first > in.now) return first;
        // The hour autumn repeats: the start's second showing may still be to come.
        const NSTimeZone zone = in.calendar.timeZone();
        const NSDate second = first.dateByAddingTimeInterval(static_cast<NSTimeInterval>(
            zone.secondsFromGMTForDate(first) - zone.secondsFromGMTForDate(in.now)));
        if (second > in.now && wallMinutes(in.calendar, second) == wallMinutes(in.calendar, first))
            return second;
    }
    return in.now;  // not reached: a start shows within any two days
}

// "3 h 12 min", "3 h", "12 min": the minutes still to wait, a started minute counted whole.
NSString waitText(NSTimeInterval seconds) {
    long long minutes = static_cast<long long>(seconds / 60);
    if (static_cast<NSTimeInterval>(minutes) * 60 < seconds) ++minutes;
    if (minutes < 1) minutes = 1;
    char text[48];
    if (minutes < 60)
        std::snprintf(text, sizeof text, "%lld min", minutes);
    else if (minutes % 60 == 0)
        std::snprintf(text, sizeof text, "%lld h", minutes / 60);
    else
        std::snprintf(text, sizeof text, "%lld h %lld min", minutes / 60, minutes % 60);
    return text;
}

NSString standing(const GuardStatusInput& in) {
    if (in.batteryFloor > 0 && in.batteryLevel && !in.charging &&
        *in.batteryLevel < in.batteryFloor)
        return "Paused: battery " + std::to_string(*in.batteryLevel) + "%, not charging";
    if (!in.schedule) return "Guarding";
    if (insideWindow(wallMinutes(in.calendar, in.now), in.windowStart, in.windowEnd))
        return "Guarding until " + clockText(in.windowEnd);
    const NSDate next = nextStart(in);
    return "Next window at " + clockText(in.windowStart) + ", in " +
           waitText(next.timeIntervalSinceDate(in.now));
}

const char* endText(GuardEnd why) {
    switch (why) {
        case GuardEnd::WindowEnd:
            return "window end";
        case GuardEnd::BatteryFloor:
            return "battery floor";
        case GuardEnd::SwitchedOff:
            return "switched off";
        case GuardEnd::PhoneSwitchedOff:
            return "phone switched off";
    }
    return "switched off";
}

// Early: the window was cut short, by the floor, the owner or the phone, while the window still
// held. A guard without a window has no end to fall short of, and its range says when it ended.
bool endedEarly(const GuardStatusInput& in, const GuardPeriod& period) {
    if (!in.schedule || period.endedBecause == GuardEnd::WindowEnd) return false;
    return insideWindow(wallMinutes(in.calendar, *period.ended), in.windowStart, in.windowEnd) &&
           wallMinutes(in.calendar, *period.ended) != in.windowEnd;
}

// Every change of a setting restarts the guard, which ends its period and may begin none (outside
// the window): such a moment of guarding says nothing of a night and would hide the one before.
bool restartOnly(const GuardPeriod& period) {
    return period.sleepsRefused == 0 && period.ended->timeIntervalSinceDate(period.began) < 60.0;
}

std::optional<NSString> lastPeriod(const GuardStatusInput& in) {
    const GuardPeriod* latest = nullptr;
    for (const GuardPeriod& period : in.periods)
        if (period.ended && !restartOnly(period)) latest = &period;
    if (!latest) return std::nullopt;
    const bool early = endedEarly(in, *latest);
    NSString line = "Last night: " + clockText(in.calendar, latest->began) + "\u2013" +
                    (early ? clockText(in.windowEnd) : clockText(in.calendar, *latest->ended));
    const NSInteger refused = latest->sleepsRefused;
    line += ", " + std::to_string(refused) + (refused == 1 ? " sleep" : " sleeps") + " refused";
    if (latest->batteryAtStart && latest->batteryAtEnd)
        line += ", battery " + std::to_string(*latest->batteryAtStart) + "% \u2192 " +
                std::to_string(*latest->batteryAtEnd) + "%";
    if (early)
        line += ", ended at " + clockText(in.calendar, *latest->ended) + ", " +
                endText(latest->endedBecause);
    return line;
}
}  // namespace

std::vector<NSString> guardStatusLines(const GuardStatusInput& input) {
    if (!launchdGeneration(input.systemVersion)) return {"Guarding: keep-alive every minute"};
    std::vector<NSString> lines{standing(input)};
    if (auto last = lastPeriod(input)) lines.push_back(*last);
    return lines;
}
