// The guard state as the window ticks: entering shows the icon and withdraws nothing; leaving
// hides it and then books the next start; the sleep answers follow the state.
#include <gtest/gtest.h>

#include "DaemonTestSupport.h"

using namespace daemon_test;

namespace {

using Events = std::vector<std::string>;

TEST(GuardTransitions, OvernightWindowEntersAndLeavesWithTheirActionsInOrder) {
    auto device = makeDevice("3.1.3", "2026-12-07 21:59:30");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_EQ(guardEvents(*device),
              (Events{"subscribe", "timer 10", "book 2026-12-07 22:00:30", "timer 20"}));

    device->deliverPowerMessage(kIOMessageCanSystemSleep, 1);
    EXPECT_EQ(guardEvents(*device).back(), "allow 1");

    size_t seen = guardEvents(*device).size();
    device->advance(30);  // ticks at :40, :50 outside; at 22:00:00 inside
    EXPECT_EQ(eventsAfter(*device, seen), (Events{"show"}));  // no withdrawal on entering
    EXPECT_TRUE(daemon.inSchedule());

    device->deliverPowerMessage(kIOMessageCanSystemSleep, 2);
    device->deliverPowerMessage(kIOMessageSystemWillSleep, 3);
    EXPECT_EQ(eventsAfter(*device, guardEvents(*device).size() - 2),
              (Events{"cancel 2", "cancel 3"}));

    // Through the night: the icon is refreshed every 20 s and nothing else happens.
    seen = guardEvents(*device).size();
    device->advance(8 * 3600 - 10);  // to 05:59:50
    Events night = eventsAfter(*device, seen);
    EXPECT_EQ(countOf(night, "show"), night.size());
    EXPECT_EQ(night.size(), 8u * 180u);  // 22:00:10, 22:00:30 ... 05:59:50

    seen = guardEvents(*device).size();
    device->advance(10);  // 06:00:00: leaving
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(eventsAfter(*device, seen),
              (Events{"hide", "withdraw 2026-12-07 22:00:30", "book 2026-12-08 22:00:00"}));

    device->deliverPowerMessage(kIOMessageCanSystemSleep, 4);
    EXPECT_EQ(guardEvents(*device).back(), "allow 4");

    // The day passes outside: no icon, no booking, until the window opens again.
    seen = guardEvents(*device).size();
    device->advance(16 * 3600);
    EXPECT_EQ(eventsAfter(*device, seen), (Events{"show"}));
    // Only the one pending booking of ours is listed.
    const auto own = device->autoWakeEntries();
    ASSERT_EQ(own.size(), 1u);
    EXPECT_EQ(NSDate::dateWithTimeIntervalSinceReferenceDate(own[0].time).description(),
              "2026-12-08 22:00:00");
}

struct LeavingCase {
    const char* start;
    const char* booked;
};
// Test names show the case, not its bytes.
void PrintTo(const LeavingCase& c, std::ostream* os) { *os << c.start; }

class LeavingOvernightWindow : public ::testing::TestWithParam<LeavingCase> {};

TEST_P(LeavingOvernightWindow, BooksTenOClockTheSameDayWithTheTicksSeconds) {
    auto device = makeDevice("3.1.3", GetParam().start);
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_TRUE(daemon.inSchedule());
    device->advance(60);  // the first tick in 06:00 leaves
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(guardEvents(*device).back(), std::string("book ") + GetParam().booked);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LeavingOvernightWindow,
    ::testing::Values(LeavingCase{"2026-12-08 05:59:10", "2026-12-08 22:00:00"},
                      LeavingCase{"2026-12-08 05:59:15", "2026-12-08 22:00:05"},
                      LeavingCase{"2026-12-08 05:59:59", "2026-12-08 22:00:09"}));

TEST(GuardTransitions, LeavingAtTenPastSixAfterSleepingThroughTheTickBooksTenPastTen) {
    auto device = makeDevice("3.1.3", "2026-12-08 05:59:50");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    device->sleepFor(20);  // the 06:00:00 tick falls due while nothing runs
    device->runOnce();     // 06:00:10: it fires once, late
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(guardEvents(*device).back(), "book 2026-12-08 22:00:10");
}

TEST(GuardTransitions, DayWindowAtItsEdges) {
    auto device = makeDevice("2.2.1", "2026-12-07 08:59:55");
    writeSchedule(*device, true, 540, 1020);
    Daemon daemon;
    EXPECT_FALSE(daemon.inSchedule());
    device->advance(10);  // 09:00:05 tick: inside
    EXPECT_TRUE(daemon.inSchedule());
    device->advance(8 * 3600 - 10);  // 16:59:55
    EXPECT_TRUE(daemon.inSchedule());
    device->advance(70);  // the 17:00 ticks stay inside; 17:01:05 leaves
    EXPECT_FALSE(daemon.inSchedule());
    const Events events = guardEvents(*device);
    ASSERT_GE(events.size(), 3u);
    // The booking made at start-up is still listed: it is withdrawn before the new one.
    EXPECT_EQ(Events(events.end() - 3, events.end()),
              (Events{"hide", "withdraw 2026-12-07 09:00:55", "book 2026-12-08 09:00:05"}));
}

TEST(GuardTransitions, TickThatFindsTheSameStateDoesNothing) {
    auto device = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*device, true, 540, 1020);
    Daemon daemon;
    const size_t before = device->calls().size();
    daemon.timerFire(nullptr);
    daemon.timerFire(nullptr);
    // Only the window test's own reads of the clock and settings: no icon, no booking.
    EXPECT_EQ(countOf(eventsAfter(*device, 0), "show"), 1u);
    EXPECT_EQ(countOf(eventsAfter(*device, 0), "book"), 0u);
    EXPECT_EQ(device->calls().size(), before);
}

TEST(GuardTransitions, IconRefreshOnlyWhileActive) {
    auto device = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    daemon.addIcon(nullptr);
    EXPECT_EQ(countOf(guardEvents(*device), "show"), 0u);
    device->setTime("2026-12-07 22:00:00");
    daemon.timerFire(nullptr);
    daemon.addIcon(nullptr);
    EXPECT_EQ(countOf(guardEvents(*device), "show"), 2u);
}

TEST(GuardTransitions, SleepThroughTheWindowsStartWakesAndEntersAtTheNextTick) {
    auto device = makeDevice("3.1.3", "2026-12-07 21:58:00");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_EQ(guardEvents(*device)[2], "book 2026-12-07 22:00:00");
    device->sleepFor(125);  // asleep until the booked wake-up (and a little after)
    device->advance(0.5);   // the overdue timers fire once each on waking
    EXPECT_TRUE(daemon.inSchedule());
    // The tick (due first) enters and shows; the refresh then shows again.
    EXPECT_EQ(countOf(guardEvents(*device), "show"), 2u);
    EXPECT_EQ(countOf(guardEvents(*device), "book"), 1u);
}

}  // namespace
