// The battery floor: the guard is active when it is today and the battery allows it (floor
// off, on the charger, or at or above the floor). Below it off the charger the guard lets go at
// once on IOKit's change, or at the next tick for a charge that fell in silence; on the charger
// it takes hold again at once. The floor is read at start only.
#include <gtest/gtest.h>

#include "DaemonTestSupport.h"

using namespace daemon_test;

namespace {

using Events = std::vector<std::string>;

enum class Schedule { none, inside, outside };

struct StartCase {
    const char* name;
    int floor;
    int level;  // -1: no battery known
    bool plugged;
    Schedule schedule;
    bool active;
    Events events;
};
void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class BatteryFloorAtStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(BatteryFloorAtStart, GuardsOnlyWhenTodayAndTheBatteryAllow) {
    const StartCase& c = GetParam();
    // 09:00 to 17:00: 12:00 is inside, 20:00 outside.
    auto device = makeDevice(
        "3.1.3", c.schedule == Schedule::outside ? "2026-12-07 20:00:00" : "2026-12-07 12:00:00");
    writeSchedule(*device, c.schedule != Schedule::none, 540, 1020, c.floor);
    if (c.level >= 0) device->battery().set(c.level, c.plugged);
    Daemon daemon;
    EXPECT_EQ(daemon.inSchedule(), c.active);
    EXPECT_EQ(guardEvents(*device), c.events);
    device->deliverPowerMessage(kIOMessageCanSystemSleep, 7);  // from the flag alone
    EXPECT_EQ(guardEvents(*device).back(), c.active ? "cancel 7" : "allow 7");
}

const Events kHeld{"subscribe", "show", "timer 20"};
const Events kHeldTicking{"subscribe", "timer 10", "show", "timer 20"};
const Events kLetGo{"subscribe", "timer 10", "timer 20"};
const Events kBookedTomorrow{"subscribe", "timer 10", "book 2026-12-08 09:00:00", "timer 20"};

INSTANTIATE_TEST_SUITE_P(
    Table, BatteryFloorAtStart,
    ::testing::Values(
        StartCase{"FloorOffAtFivePercent", 0, 5, false, Schedule::none, true, kHeld},
        StartCase{"AtTheFloor", 20, 20, false, Schedule::none, true, kHeldTicking},
        StartCase{"AboveTheFloor", 20, 21, false, Schedule::none, true, kHeldTicking},
        StartCase{"BelowTheFloor", 20, 19, false, Schedule::none, false, kLetGo},
        StartCase{"BelowTheFloorOnTheCharger", 20, 19, true, Schedule::none, true, kHeldTicking},
        StartCase{"NoBatteryKnown", 20, -1, false, Schedule::none, true, kHeldTicking},
        StartCase{"BelowInsideTheWindowBooksTheNextStart", 20, 19, false, Schedule::inside, false,
                  kBookedTomorrow},
        StartCase{"AboveInsideTheWindow", 20, 80, false, Schedule::inside, true, kHeldTicking},
        StartCase{"ChargingOutsideTheWindow",
                  20,
                  10,
                  true,
                  Schedule::outside,
                  false,
                  {"subscribe", "timer 10", "book 2026-12-08 09:00:00", "timer 20"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatteryFloor, LevelFallingAcrossTheFloorBetweenTicksLetsGoAtTheNextTick) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");
    writeSchedule(*device, true, 1320, 360, 20);
    device->battery().set(21, false);
    Daemon daemon;
    ASSERT_TRUE(daemon.inSchedule());
    device->advance(5);
    device->battery().set(19, false);  // no change posted: the charge fell in silence
    const size_t seen = guardEvents(*device).size();
    device->advance(4);
    EXPECT_TRUE(daemon.inSchedule());  // not before the tick
    device->advance(1);                // 23:00:10
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(eventsAfter(*device, seen), (Events{"hide", "book 2026-12-08 22:00:10"}));
}

TEST(BatteryFloor, UnpluggedBelowLetsGoAtOnceAndPluggedInTakesHoldAtOnce) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");
    writeSchedule(*device, true, 1320, 360, 30);
    device->battery().set(25, true);
    Daemon daemon;
    ASSERT_TRUE(daemon.inSchedule());

    size_t seen = guardEvents(*device).size();
    device->battery().set(25, false);
    device->battery().postChange();
    device->runOnce();  // no tick: the change alone
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(eventsAfter(*device, seen), (Events{"hide", "book 2026-12-08 22:00:00"}));

    seen = guardEvents(*device).size();
    device->battery().set(25, true);
    device->battery().postChange();
    device->runOnce();
    EXPECT_TRUE(daemon.inSchedule());
    EXPECT_EQ(eventsAfter(*device, seen), (Events{"show"}));  // nothing withdrawn on taking hold
}

TEST(BatteryFloor, GivenChargeWithoutAScheduleTakesHold) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");
    writeSchedule(*device, false, 540, 1020, 20);
    device->battery().set(10, false);
    Daemon daemon;
    ASSERT_FALSE(daemon.inSchedule());
    device->battery().set(20, false);  // given charge, not plugged
    device->battery().postChange();
    device->runOnce();
    EXPECT_TRUE(daemon.inSchedule());  // no schedule: it is always today
}

TEST(BatteryFloor, PluggedInOutsideTheWindowStaysLetGo) {
    auto device = makeDevice("3.1.3", "2026-12-07 20:00:00");
    writeSchedule(*device, true, 540, 1020, 20);
    device->battery().set(10, false);
    Daemon daemon;
    const size_t seen = guardEvents(*device).size();
    device->battery().set(90, true);
    device->battery().postChange();
    device->runOnce();
    EXPECT_FALSE(daemon.inSchedule());  // the window says no
    EXPECT_EQ(eventsAfter(*device, seen), Events{});
}

TEST(BatteryFloor, IsReadAtStartOnly) {
    auto device = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*device, false, 540, 1020, 20);
    device->battery().set(50, false);
    Daemon daemon;
    writeSchedule(*device, false, 540, 1020, 0);  // switched off while it runs
    device->battery().set(5, false);
    device->advance(10);
    EXPECT_FALSE(daemon.inSchedule());  // still the floor it started with
}

TEST(BatteryFloor, OffAtStartListensToNothingAndReadsNoBattery) {
    auto off = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*off, false, 540, 1020);
    off->battery().set(5, false);
    Daemon unfloored;
    EXPECT_EQ(off->battery().postChange(), 0u);
    off->advance(60);
    EXPECT_TRUE(unfloored.inSchedule());
    EXPECT_EQ(off->countCalls<platform::testing::BatteryRead>(), 0u);
}

}  // namespace
