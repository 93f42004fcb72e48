// The daemon follows the owner's (or the network's) changes of the clock and the zone: outside
// the window its booking is withdrawn and made again for the window's start as the new clock
// and zone place it; inside the window the guard holds on and its ticks judge the new local
// time; with the schedule off nothing is observed.
#include <gtest/gtest.h>
#include <notify_keys.h>
#include <time.h>

#include "DaemonTestSupport.h"

using namespace daemon_test;
using Events = std::vector<std::string>;

namespace {

// The wake requests from the `skip`-th on, "book"/"withdraw" and their dates in UTC, whatever
// the device's zone is when the test looks.
Events wakesAfter(const TestPlatform& device, size_t skip) {
    Events events;
    const auto& requests = device.wakeRequests();
    for (size_t i = skip; i < requests.size(); ++i) {
        const time_t t = static_cast<time_t>(requests[i].date + kCFAbsoluteTimeIntervalSince1970);
        tm utc{};
        gmtime_r(&t, &utc);
        char text[32];
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
        const bool book = requests[i].action == platform::testing::WakeAction::schedule;
        events.push_back((book ? "book " : "withdraw ") + std::string(text));
    }
    return events;
}

struct RebookCase {
    const char* name;
    const char* zone;     // the device's at start-up
    const char* now;      // UTC
    const char* newZone;  // after the change (the same for a clock set)
    const char* newNow;   // UTC after the change (the same for a zone change)
    const char* notification;
    const char* bookedBefore;  // UTC
    const char* bookedAfter;   // UTC
};
void PrintTo(const RebookCase& c, std::ostream* os) { *os << c.name; }

class RebookingOutsideTheWindow : public ::testing::TestWithParam<RebookCase> {};

TEST_P(RebookingOutsideTheWindow, WithdrawsTheOldBookingAndBooksTheNewLocalStart) {
    const RebookCase& c = GetParam();
    auto device = makeDevice("3.1.3", c.now);
    device->setTimeZone(c.zone);
    writeSchedule(*device, true, 1320, 360);  // 22:00 to 06:00
    Daemon daemon;
    EXPECT_EQ(wakesAfter(*device, 0), Events{std::string("book ") + c.bookedBefore});

    // The change is made behind the frameworks' back: the daemon must look the zone up again.
    device->process().setTimeZone(c.newZone);
    device->setWallClock(c.newNow);  // as the network sets it: timers run on as they were
    EXPECT_EQ(device->postDarwinNotification(c.notification), 1u);
    EXPECT_EQ(wakesAfter(*device, 1), (Events{std::string("withdraw ") + c.bookedBefore,
                                              std::string("book ") + c.bookedAfter}));
    EXPECT_FALSE(daemon.inSchedule());
    ASSERT_EQ(device->autoWakeEntries().size(), 1u);  // the one booking of ours left
}

INSTANTIATE_TEST_SUITE_P(
    Table, RebookingOutsideTheWindow,
    ::testing::Values(
        // 19:00 in Berlin, booked for 22:00 there; in New York 22:00 is 03:00 UTC.
        RebookCase{"BerlinToNewYork", "Europe/Berlin", "2026-12-07 18:00:00", "America/New_York",
                   "2026-12-07 18:00:00", kNotifyTimeZoneChange, "2026-12-07 21:00:00",
                   "2026-12-08 03:00:00"},
        // The clock jumps past the night it was booked for: the next night's start.
        RebookCase{"ClockSetPastTheWindow", "UTC", "2026-12-07 12:00:00", "UTC",
                   "2026-12-08 07:30:00", kNotifyClockSet, "2026-12-07 22:00:00",
                   "2026-12-08 22:00:00"},
        // The clock was a day fast: set back, the booking would wake a day late.
        RebookCase{"ClockSetBackADay", "UTC", "2026-12-07 12:00:20", "UTC", "2026-12-06 12:00:40",
                   kNotifyClockSet, "2026-12-07 22:00:20", "2026-12-06 22:00:40"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClockChangeInsideTheWindow, GuardHoldsAndNothingIsBooked) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");  // inside 22:00 to 06:00 (UTC)
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    ASSERT_TRUE(daemon.inSchedule());

    device->process().setTimeZone("Europe/Berlin");  // 00:00 there: still inside
    const size_t seen = guardEvents(*device).size();
    EXPECT_EQ(device->postDarwinNotification(kNotifyTimeZoneChange), 1u);
    device->deliverPowerMessage(kIOMessageCanSystemSleep, 7);
    device->advance(10);  // a tick on the new local time
    EXPECT_EQ(eventsAfter(*device, seen), (Events{"cancel 7"}));
    EXPECT_TRUE(daemon.inSchedule());
}

TEST(ClockChangeInsideTheWindow, TheNextTickJudgesTheNewZonesTime) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");  // inside 22:00 to 23:30 (UTC)
    writeSchedule(*device, true, 1320, 1410);
    Daemon daemon;
    ASSERT_TRUE(daemon.inSchedule());

    device->process().setTimeZone("Asia/Tokyo");  // 08:00 the next morning there
    const size_t seen = guardEvents(*device).size();
    EXPECT_EQ(device->postDarwinNotification(kNotifyTimeZoneChange), 1u);
    EXPECT_EQ(eventsAfter(*device, seen), Events{});  // still guarding until the tick
    device->advance(10);
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(eventsAfter(*device, seen).front(), "hide");
    EXPECT_EQ(wakesAfter(*device, 0), Events{"book 2026-12-08 13:00:10"});  // 22:00:10 in Tokyo
}

TEST(ClockChangeObservation, ScheduleOffObservesNothing) {
    auto device = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*device, false, 1320, 360);
    Daemon daemon;
    EXPECT_TRUE(device->notify().registeredNames().empty());
    EXPECT_EQ(device->postDarwinNotification(kNotifyClockSet), 0u);
    EXPECT_EQ(device->postDarwinNotification(kNotifyTimeZoneChange), 0u);
    EXPECT_TRUE(device->wakeRequests().empty());
}

TEST(ClockChangeObservation, AGoneDaemonIsNoLongerObserving) {
    auto device = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*device, true, 1320, 360);
    auto daemon = std::make_unique<Daemon>();
    EXPECT_EQ(device->notify().registeredNames(),
              (std::vector<std::string>{kNotifyClockSet, kNotifyTimeZoneChange}));
    daemon.reset();
    EXPECT_TRUE(device->notify().registeredNames().empty());
    EXPECT_EQ(device->postDarwinNotification(kNotifyTimeZoneChange), 0u);
}

}  // namespace
