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

// A change of the charger or the charge, told by IOKit, with no tick in between.
struct ChangeCase {
    const char* name;
    bool schedule;  // 22:00 to 06:00
    const char* time;
    int level;
    bool plugged;
    int levelAfter;
    bool pluggedAfter;
    bool active;
    Events events;  // after the change
};
void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class BatteryFloorChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(BatteryFloorChange, TakesHoldOrLetsGoAtOnce) {
    const ChangeCase& c = GetParam();
    auto device = makeDevice("3.1.3", c.time);
    writeSchedule(*device, c.schedule, 1320, 360, 30);
    device->battery().set(c.level, c.plugged);
    Daemon daemon;
    const size_t seen = guardEvents(*device).size();
    device->battery().set(c.levelAfter, c.pluggedAfter);
    device->battery().postChange();
    device->runOnce();
    EXPECT_EQ(daemon.inSchedule(), c.active);
    EXPECT_EQ(eventsAfter(*device, seen), c.events);
}

INSTANTIATE_TEST_SUITE_P(Table, BatteryFloorChange,
                         ::testing::Values(ChangeCase{"UnpluggedBelowLetsGoAndBooksTheNextStart",
                                                      true,
                                                      "2026-12-07 23:00:00",
                                                      25,
                                                      true,
                                                      25,
                                                      false,
                                                      false,
                                                      {"hide", "book 2026-12-08 22:00:00"}},
                                           ChangeCase{"PluggedInTakesHoldWithdrawingNothing",
                                                      true,
                                                      "2026-12-07 23:00:00",
                                                      25,
                                                      false,
                                                      25,
                                                      true,
                                                      true,
                                                      {"show"}},
                                           ChangeCase{"GivenChargeWithoutAScheduleTakesHold",
                                                      false,
                                                      "2026-12-07 23:00:00",
                                                      10,
                                                      false,
                                                      30,
                                                      false,
                                                      true,
                                                      {"show"}},
                                           ChangeCase{"PluggedInOutsideTheWindowStaysLetGo",
                                                      true,
                                                      "2026-12-07 20:00:00",
                                                      10,
                                                      false,
                                                      90,
                                                      true,
                                                      false,
                                                      {}}),
                         [](const auto& info) { return std::string(info.param.name); });

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

// Only the journal reads the level, once as the guard takes hold; no tick asks for it.
TEST(BatteryFloor, OffAtStartListensToNothingAndTicksReadNoBattery) {
    auto off = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*off, false, 540, 1020);
    off->battery().set(5, false);
    Daemon unfloored;
    EXPECT_EQ(off->battery().postChange(), 0u);
    const size_t readsAtStart = off->countCalls<platform::testing::BatteryRead>();
    off->advance(60);
    EXPECT_TRUE(unfloored.inSchedule());
    EXPECT_EQ(readsAtStart, 1u);
    EXPECT_EQ(off->countCalls<platform::testing::BatteryRead>(), readsAtStart);
    ASSERT_EQ(unfloored.journal()->periods().size(), 1u);
    EXPECT_EQ(unfloored.journal()->periods()[0].batteryAtStart, 5);
}

}  // namespace

namespace {

// One evening through the journal: the booked start, a let-go for the floor, the charger, the
// refusals in between and the window's end, each with its reason.
TEST(GuardJournalOfADay, EachTakeHoldAndLetGoIsJournaledWithItsReason) {
    auto device = makeDevice("3.1.3", "2026-12-07 08:59:00");
    writeSchedule(*device, true, 540, 1020, 20);  // 09:00 to 17:00
    device->battery().set(60, false);
    Daemon daemon;
    device->advance(70);  // the booked start (09:00:00) and the tick after it
    device->battery().set(15, false);
    device->battery().postChange();
    device->runOnce();
    device->battery().set(15, true);
    device->battery().postChange();
    device->runOnce();
    for (long argument : {1, 2, 3}) device->deliverPowerMessage(kIOMessageCanSystemSleep, argument);
    device->advance(8 * 3600 + 120);  // past 17:00

    const std::vector<GuardPeriod>& periods = daemon.journal()->periods();
    ASSERT_EQ(periods.size(), 2u);
    EXPECT_EQ(periods[0].beganBecause, GuardStart::WindowStart);
    ASSERT_TRUE(periods[0].lateForWakeUp);
    EXPECT_LE(*periods[0].lateForWakeUp, 10.0);  // at the first tick after the wake-up
    EXPECT_EQ(periods[0].batteryAtStart, 60);
    EXPECT_EQ(periods[0].endedBecause, GuardEnd::BatteryFloor);
    EXPECT_EQ(periods[0].batteryAtEnd, 15);
    EXPECT_EQ(periods[1].beganBecause, GuardStart::BackOnCharger);
    EXPECT_EQ(periods[1].sleepsRefused, 3);
    EXPECT_EQ(periods[1].endedBecause, GuardEnd::WindowEnd);
    EXPECT_EQ(GuardJournal::periodsAt(GuardJournal::standardPath()).size(), 2u);  // on file
}

}  // namespace
