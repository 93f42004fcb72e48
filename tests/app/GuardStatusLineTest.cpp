// The main screen's status line, worded from settings, battery, journal and the clock, in
// Berlin's time so that autumn's repeated hour (25 October 2026, 03:00 CEST back to 02:00 CET)
// can be walked through.
#include <gtest/gtest.h>

#include "GuardStatusLine.h"
#include "TestPlatform.h"

namespace {
NSCalendar berlin() {
    NSCalendar calendar = NSCalendar::currentCalendar();
    calendar.setTimeZone(*NSTimeZone::timeZoneWithName("Europe/Berlin"));
    return calendar;
}

// A wall time in Berlin; in autumn's repeated hour, its first showing.
NSDate at(int day, int hour, int minute, int month = 10) {
    return berlin().dateFromComponents({2026, month, day, hour, minute, 0});
}

GuardPeriod night(NSDate began, NSDate ended, GuardEnd why, int batteryAtEnd) {
    GuardPeriod period;
    period.began = began;
    period.beganBecause = GuardStart::WindowStart;
    period.sleepsRefused = 238;
    period.batteryAtStart = 92;
    period.batteryAtEnd = batteryAtEnd;
    period.ended = ended;
    period.endedBecause = why;
    return period;
}

struct Case {
    const char* name;
    GuardStatusInput input;
    std::vector<NSString> lines;
};

GuardStatusInput windowed(int start, int end, NSDate now) {
    GuardStatusInput in;
    in.schedule = YES;
    in.windowStart = start;
    in.windowEnd = end;
    in.systemVersion = "3.1.3";
    in.now = now;
    in.calendar = berlin();
    return in;
}

GuardStatusInput with(GuardStatusInput in, auto change) {
    change(in);
    return in;
}

constexpr int k2200 = 22 * 60, k0600 = 6 * 60;

std::vector<Case> cases() {
    const GuardStatusInput evening = windowed(k2200, k0600, at(20, 18, 48));
    const GuardPeriod fullNight = night(at(19, 22, 0), at(20, 6, 0), GuardEnd::WindowEnd, 61);
    return {
        {"NoWindow", with(evening, [](auto& in) { in.schedule = NO; }), {"Guarding"}},
        {"InsideBeforeMidnight", windowed(k2200, k0600, at(20, 23, 30)), {"Guarding until 06:00"}},
        {"InsideAfterMidnight", windowed(k2200, k0600, at(21, 5, 59)), {"Guarding until 06:00"}},
        {"Outside", evening, {"Next window at 22:00, in 3 h 12 min"}},
        {"OutsideJustAfterTheEnd",
         windowed(k2200, k0600, at(21, 6, 1)),
         {"Next window at 22:00, in 15 h 59 min"}},
        {"BelowTheFloor",
         with(evening,
              [](auto& in) {
                  in.batteryFloor = 20;
                  in.batteryLevel = 18;
              }),
         {"Paused: battery 18%, not charging"}},
        {"BelowTheFloorOnTheCharger",
         with(evening,
              [](auto& in) {
                  in.batteryFloor = 20;
                  in.batteryLevel = 18;
                  in.charging = YES;
              }),
         {"Next window at 22:00, in 3 h 12 min"}},
        {"OneMinuteWindowAtItsEnd",
         windowed(k2200, k2200 + 1, at(20, 22, 1)),
         {"Guarding until 22:01"}},
        {"OneMinuteWindowJustPast",
         windowed(k2200, k2200 + 1, at(20, 22, 2)),
         {"Next window at 22:00, in 23 h 58 min"}},
        // The wall clock says 8 h; the night is an hour longer.
        {"WaitAcrossTheRepeatedHour",
         windowed(k0600, 8 * 60, at(24, 22, 0)),
         {"Next window at 06:00, in 9 h"}},
        // 02:10 on the second showing: the start's first showing is past, its second to come.
        {"InsideTheRepeatedHour",
         windowed(150, 155, at(25, 2, 10).dateByAddingTimeInterval(3600)),
         {"Next window at 02:30, in 20 min"}},
        {"NoDaemonOnIos4",
         with(evening, [](auto& in) { in.systemVersion = "4.0"; }),
         {"Guarding: keep-alive every minute"}},
        {"LastNight",
         with(evening, [&](auto& in) { in.periods = {fullNight}; }),
         {"Next window at 22:00, in 3 h 12 min",
          "Last night: 22:00\u201306:00, 238 sleeps refused, battery 92% \u2192 61%"}},
        {"ARestartAfterTheNightIsNoNight",
         with(evening,
              [&](auto& in) {
                  in.periods = {fullNight,
                                night(at(20, 18, 0), at(20, 18, 0).dateByAddingTimeInterval(5),
                                      GuardEnd::SwitchedOff, 61)};
                  in.periods.back().sleepsRefused = 0;
              }),
         {"Next window at 22:00, in 3 h 12 min",
          "Last night: 22:00\u201306:00, 238 sleeps refused, battery 92% \u2192 61%"}},
        {"EndedByTheFloor",
         with(evening,
              [](auto& in) {
                  in.periods = {night(at(19, 22, 0), at(20, 3, 14), GuardEnd::BatteryFloor, 19)};
              }),
         {"Next window at 22:00, in 3 h 12 min",
          "Last night: 22:00\u201306:00, 238 sleeps refused, battery 92% \u2192 19%, ended at "
          "03:14, battery floor"}},
        {"PhoneSwitchedOffAndAnOpenPeriodAfter",
         with(evening,
              [](auto& in) {
                  GuardPeriod open = night(at(20, 18, 0), at(20, 18, 0), GuardEnd::WindowEnd, 50);
                  open.ended.reset();
                  in.periods = {night(at(19, 22, 0), at(20, 3, 14), GuardEnd::PhoneSwitchedOff, 0),
                                open};
              }),
         {"Next window at 22:00, in 3 h 12 min",
          "Last night: 22:00\u201306:00, 238 sleeps refused, battery 92% \u2192 0%, ended at "
          "03:14, phone switched off"}},
        // Switched off once the window was over is no early end: the range says when.
        {"SwitchedOffAfterTheWindow",
         with(evening,
              [](auto& in) {
                  in.periods = {night(at(20, 6, 0), at(20, 7, 30), GuardEnd::SwitchedOff, 60)};
              }),
         {"Next window at 22:00, in 3 h 12 min",
          "Last night: 06:00\u201307:30, 238 sleeps refused, battery 92% \u2192 60%"}},
        {"TheRepeatedHourInTheNight",
         with(windowed(k2200, k0600, at(25, 9, 0)),
              [](auto& in) {
                  GuardPeriod p = night(at(24, 22, 0), at(25, 6, 0), GuardEnd::WindowEnd, 40);
                  p.sleepsRefused = 1;
                  p.batteryAtEnd.reset();
                  in.periods = {p};
              }),
         {"Next window at 22:00, in 13 h", "Last night: 22:00\u201306:00, 1 sleep refused"}},
    };
}

// The calendar needs the phone's platform, which the test program starts after registering
// its tests: the table is made inside the test.
TEST(GuardStatusLine, SaysWhatTheGuardDoes) {
    const platform::testing::TestPlatform device;  // the zone database
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(guardStatusLines(c.input), c.lines);
    }
}
}  // namespace
