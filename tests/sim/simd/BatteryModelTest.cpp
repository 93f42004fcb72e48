// The battery worked out from time and conditions: the drain of each state, a change of state
// within the hour, the charge slowing above 80 % and stopping at full, and the whole-percent
// deadlines simd wakes for, down to empty.
#include <gtest/gtest.h>
#include <sim/simd/BatteryModel.h>

#include <limits>

namespace {

using simd::BatteryModel;

constexpr double kStart = 300000000;  // device seconds since the reference date
constexpr double kHour = 3600;
constexpr double kNever = std::numeric_limits<double>::infinity();

wire::BatteryRecord battery(double level, bool plugged = false) {
    wire::BatteryRecord b;
    b.level = level;
    b.plugged = plugged;
    return b;
}

struct DrainCase {
    const char* name;
    BatteryModel::Conditions conditions;
    double hours;
    double expected;  // level after `hours` from 100 %, default rates
};

class Drain : public ::testing::TestWithParam<DrainCase> {};

TEST_P(Drain, FollowsTheRateOfTheState) {
    const DrainCase& c = GetParam();
    BatteryModel model(battery(100), kStart);
    model.setConditions(c.conditions, kStart);
    EXPECT_NEAR(model.levelAt(kStart + c.hours * kHour), c.expected, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(States, Drain,
                         ::testing::Values(DrainCase{"standby_300h", {true, kNever}, 30, 90},
                                           DrainCase{"held_awake_dark_30h", {false, kStart}, 3, 90},
                                           DrainCase{"screen_lit_5h", {false, kNever}, 0.5, 90},
                                           DrainCase{"lit_half_an_hour_then_dark",
                                                     {false, kStart + 1800},
                                                     1,
                                                     100 - 10 - 100.0 / 30 / 2},
                                           DrainCase{"stops_at_empty", {false, kNever}, 6, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BatteryModel, AStateChangeMidHourCountsEachPartAtItsRate) {
    BatteryModel model(battery(50), kStart);
    model.setConditions({false, kNever}, kStart);       // lit for 15 minutes
    model.setConditions({true, kNever}, kStart + 900);  // then asleep
    EXPECT_NEAR(model.level(), 45, 1e-9);
    EXPECT_NEAR(model.levelAt(kStart + 900 + 45 * 60), 45 - 0.25, 1e-9);
}

TEST(BatteryModel, ChargesSlowerAbove80AndStopsAtFull) {
    BatteryModel model(battery(20, true), kStart);
    EXPECT_NEAR(model.levelAt(kStart + kHour), 80, 1e-9);
    EXPECT_NEAR(model.levelAt(kStart + 1.5 * kHour), 95, 1e-9);
    EXPECT_DOUBLE_EQ(model.levelAt(kStart + 5 * kHour), 100);
    model.settle(kStart + 5 * kHour);
    EXPECT_FALSE(model.nextWholePercent().has_value());  // full: nothing more to reach
}

TEST(BatteryModel, WholePercentDeadlinesLeadDownToEmpty) {
    wire::BatteryRecord b = battery(2.5);
    b.rates.dark = 3600;  // a percent a second
    BatteryModel model(b, kStart);
    model.setConditions({false, kStart}, kStart);  // held awake, dark
    std::vector<double> reached;
    for (int i = 0; i < 5 && model.nextWholePercent(); ++i) {
        const double at = *model.nextWholePercent();
        model.settle(at);
        reached.push_back(model.level());
        EXPECT_EQ(model.empty(), model.level() == 0);
    }
    EXPECT_EQ(reached, (std::vector<double>{2, 1, 0}));
    EXPECT_TRUE(model.empty());
}

TEST(BatteryModel, AClockSetCostsNoCharge) {
    BatteryModel model(battery(60), kStart);
    model.setConditions({true, kNever}, kStart);
    model.clockSet(-10 * kHour);  // the clock went back ten hours
    EXPECT_NEAR(model.levelAt(kStart - 10 * kHour + 3 * kHour), 59, 1e-9);
}

}  // namespace
