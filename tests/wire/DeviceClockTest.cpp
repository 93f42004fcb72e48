// The device clock's arithmetic: a wall-clock set leaves elapsed time running on, a clock file
// of before the elapsed clock reads as one never set, and no input makes a wait or a date
// overflow.
#include <gtest/gtest.h>
#include <wire/DeviceClock.h>
#include <wire/DeviceTime.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kHost = 1.8e9;  // host seconds since 1970

TEST(DeviceClock, ASetMovesTheWallClockAndLeavesElapsedTimeRunningOn) {
    const wire::DeviceClock boot = wire::DeviceClock::startingAt(kHost, 1000, 10);
    EXPECT_DOUBLE_EQ(boot.deviceTimeAt(kHost + 5), 1050);
    EXPECT_DOUBLE_EQ(boot.elapsedAt(kHost + 5), 1050);

    const wire::DeviceClock set = boot.withWallClock(-86400, kHost + 5);  // a day back
    EXPECT_DOUBLE_EQ(set.deviceTimeAt(kHost + 5), -86400);
    EXPECT_DOUBLE_EQ(set.deviceTimeAt(kHost + 6), -86390);
    EXPECT_DOUBLE_EQ(set.elapsedAt(kHost + 6), 1060);
    EXPECT_DOUBLE_EQ(set.hostTimeAtElapsed(1100), kHost + 10);
    EXPECT_DOUBLE_EQ(set.hostTimeAt(-86300), kHost + 15);
}

TEST(DeviceClock, AFileWithoutElapsedTimeReadsAsAClockNeverSet) {
    PList::Dictionary file;
    file.Set("hostEpoch", PList::Real(kHost));
    file.Set("deviceEpoch", PList::Real(kHost + wire::kReferenceDateSince1970));
    file.Set("rate", PList::Real(2));
    std::string error;
    const auto clock = wire::DeviceClock::fromPlist(file, &error);
    ASSERT_TRUE(clock) << error;
    EXPECT_DOUBLE_EQ(clock->elapsedAt(kHost + 1), clock->deviceTimeAt(kHost + 1));

    const auto back =
        wire::DeviceClock::fromPlist(clock->withWallClock(7, kHost).toPlist(), &error);
    ASSERT_TRUE(back) << error;
    EXPECT_DOUBLE_EQ(back->deviceTimeAt(kHost), 7);
    EXPECT_DOUBLE_EQ(back->elapsedAt(kHost), clock->elapsedAt(kHost));
}

TEST(DeviceClock, AnElapsedEpochThatIsNoNumberIsRefused) {
    PList::Dictionary file = wire::DeviceClock::startingAt(kHost, 0, 1).toPlist();
    file.Set("elapsedEpoch", PList::Real(std::numeric_limits<double>::infinity()));
    std::string error;
    EXPECT_FALSE(wire::DeviceClock::fromPlist(file, &error));
    EXPECT_NE(error.find("elapsedEpoch"), std::string::npos) << error;
}

TEST(DeviceClock, TheFastestRateOverAnyRunGivesFiniteTimesAndWritableDates) {
    // A rate of 100,000 from the last writable second, for a thousand years of host time.
    const wire::DeviceClock clock =
        wire::DeviceClock::startingAt(kHost, wire::kLatestWritableTime, 1e5);
    const double later = kHost + 1000 * 365.25 * 86400;
    EXPECT_TRUE(std::isfinite(clock.deviceTimeAt(later)));
    EXPECT_TRUE(std::isfinite(clock.hostTimeAtElapsed(clock.elapsedAt(later) + 1)));
    EXPECT_EQ(wire::formatDeviceTime(clock.deviceTimeAt(later)), "9999-12-31T23:59:59");
}

struct TimeoutCase {
    double seconds;
    long long sec;
    long nsec;
};
void PrintTo(const TimeoutCase& c, std::ostream* os) { *os << c.seconds; }

class HostTimeout : public testing::TestWithParam<TimeoutCase> {};

TEST_P(HostTimeout, IsNeverNegativeAndAtMostADay) {
    const timespec t = wire::hostTimeout(GetParam().seconds);
    EXPECT_EQ(t.tv_sec, GetParam().sec);
    EXPECT_EQ(t.tv_nsec, GetParam().nsec);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostTimeout,
    testing::Values(TimeoutCase{1.5, 1, 500000000}, TimeoutCase{0, 0, 0}, TimeoutCase{-3, 0, 0},
                    TimeoutCase{std::numeric_limits<double>::quiet_NaN(), 0, 0},
                    TimeoutCase{std::numeric_limits<double>::infinity(), 86400, 0},
                    TimeoutCase{1e300, 86400, 0}));

}  // namespace
