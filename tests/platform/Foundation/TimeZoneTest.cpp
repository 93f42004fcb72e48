// Foundation's time zones and calendar over the tz database: offsets with daylight saving,
// wall times the zone skips or repeats, and the system zone following the device's.
#include <Foundation/Foundation.h>
#include <gtest/gtest.h>

#include "TestPlatform.h"

using namespace platform::testing;

namespace {

NSDate utc(const std::string& text) {
    TestPlatform clock;
    clock.setTime(text);
    return NSDate::date();
}

struct OffsetCase {
    const char* name;
    const char* zone;
    const char* utcTime;
    NSInteger seconds;
    bool daylightSaving;
};

class TimeZoneOffsets : public testing::TestWithParam<OffsetCase> {};

TEST_P(TimeZoneOffsets, FollowTheZonesRules) {
    const OffsetCase& c = GetParam();
    const auto zone = NSTimeZone::timeZoneWithName(c.zone);
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->name(), c.zone);
    EXPECT_EQ(zone->secondsFromGMTForDate(utc(c.utcTime)), c.seconds);
    EXPECT_EQ(zone->isDaylightSavingTimeForDate(utc(c.utcTime)), c.daylightSaving);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, TimeZoneOffsets,
    testing::Values(
        OffsetCase{"BerlinSummer", "Europe/Berlin", "2027-07-01 12:00:00", 7200, true},
        OffsetCase{"BerlinJustBeforeFallBack", "Europe/Berlin", "2027-10-31 00:59:59", 7200, true},
        OffsetCase{"BerlinAtFallBack", "Europe/Berlin", "2027-10-31 01:00:00", 3600, false},
        OffsetCase{"NewYorkWinter", "America/New_York", "2027-03-14 06:59:59", -18000, false},
        OffsetCase{"NewYorkAtSpringForward", "America/New_York", "2027-03-14 07:00:00", -14400,
                   true},
        OffsetCase{"KolkataNoChanges", "Asia/Kolkata", "2027-01-01 00:00:00", 19800, false},
        OffsetCase{"Utc", "UTC", "2027-07-01 12:00:00", 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeZone, UnknownNamesAreNoZone) {
    for (const char* bad : {"", "Mars/Olympus", "../../etc/passwd", "Europe/"})
        EXPECT_FALSE(NSTimeZone::timeZoneWithName(bad)) << bad;
}

struct WallCase {
    const char* name;
    const char* zone;
    NSDateComponents wall;
    const char* utcTime;
};

class CalendarWallTimes : public testing::TestWithParam<WallCase> {};

TEST_P(CalendarWallTimes, LandOnTheirMoment) {
    const WallCase& c = GetParam();
    TestPlatform device;
    device.setTimeZone(c.zone);
    const NSCalendar calendar = NSCalendar::currentCalendar();
    EXPECT_EQ(calendar.timeZone().name(), c.zone);
    const NSDate date = calendar.dateFromComponents(c.wall);
    device.setAbsoluteTime(date.timeIntervalSinceReferenceDate());
    EXPECT_EQ(device.timeText(), c.utcTime);
}

INSTANTIATE_TEST_SUITE_P(Zones, CalendarWallTimes,
                         testing::Values(WallCase{"BerlinWinterMorning",
                                                  "Europe/Berlin",
                                                  {2027, 10, 31, 5, 0, 0},
                                                  "2027-10-31 04:00:00"},
                                         WallCase{"BerlinRepeatedHourIsItsFirst",
                                                  "Europe/Berlin",
                                                  {2027, 10, 31, 2, 30, 0},
                                                  "2027-10-31 00:30:00"},
                                         WallCase{"BerlinSkippedHourMovesOn",
                                                  "Europe/Berlin",
                                                  {2027, 3, 28, 2, 30, 0},
                                                  "2027-03-28 01:30:00"},
                                         WallCase{"NewYorkSkippedHourMovesOn",
                                                  "America/New_York",
                                                  {2027, 3, 14, 2, 15, 0},
                                                  "2027-03-14 07:15:00"},
                                         WallCase{"MinutesCarryOver",
                                                  "America/New_York",
                                                  {2027, 3, 13, 23, 90, 0},
                                                  "2027-03-14 05:30:00"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TimeZone, SystemZoneFollowsTheDeviceOnlyWhenReset) {
    TestPlatform device;
    device.setTime("2027-07-01 12:00:00");
    device.setTimeZone("Europe/Berlin");
    EXPECT_EQ(NSTimeZone::systemTimeZone().name(), "Europe/Berlin");
    EXPECT_EQ(NSDate::date().description(), "2027-07-01 14:00:00");
    device.process().setTimeZone("America/New_York");
    EXPECT_EQ(NSTimeZone::systemTimeZone().name(), "Europe/Berlin");  // kept until reset
    NSTimeZone::resetSystemTimeZone();
    EXPECT_EQ(NSTimeZone::systemTimeZone().name(), "America/New_York");
    EXPECT_EQ(
        NSCalendar::currentCalendar().componentsFromDate(NSHourCalendarUnit, NSDate::date()).hour,
        8);
}

TEST(TimeZone, AnUnknownDeviceZoneReadsAsUtc) {
    TestPlatform device;
    device.setTimeZone("Nowhere/Atall");
    EXPECT_EQ(NSTimeZone::systemTimeZone().name(), "UTC");
}

}  // namespace
