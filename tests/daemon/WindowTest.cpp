// The window test: same-day windows include both ends, windows across midnight include their
// start but not their end, seconds are ignored, and no bound overflows.
#include <gtest/gtest.h>

#include <climits>

#include "DaemonTestSupport.h"

using namespace daemon_test;

namespace {

struct WindowCase {
    int start;
    int end;
    const char* time;
    bool inside;
};
// Test names show the case, not its bytes.
void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << c.start << "-" << c.end << " at " << c.time;
}

class WindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowTest, NowAgainstTheBounds) {
    // On 4.0 the daemon does nothing at start-up, so only the window test itself runs.
    auto device = makeDevice("4.0", std::string("2026-12-07 ") + GetParam().time);
    writeSchedule(*device, true, GetParam().start, GetParam().end);
    Daemon daemon;
    EXPECT_EQ(daemon.withinSchedule(), GetParam().inside)
        << GetParam().start << "-" << GetParam().end << " at " << GetParam().time;
}

INSTANTIATE_TEST_SUITE_P(SameDay, WindowTest,
                         ::testing::Values(WindowCase{540, 1020, "08:59:59", false},
                                           WindowCase{540, 1020, "09:00:00", true},
                                           WindowCase{540, 1020, "12:30:00", true},
                                           WindowCase{540, 1020, "17:00:00", true},
                                           WindowCase{540, 1020, "17:00:59", true},
                                           WindowCase{540, 1020, "17:01:00", false},
                                           WindowCase{540, 1020, "00:00:00", false},
                                           WindowCase{540, 1020, "23:59:59", false}));

INSTANTIATE_TEST_SUITE_P(AcrossMidnight, WindowTest,
                         ::testing::Values(WindowCase{1320, 360, "21:59:59", false},
                                           WindowCase{1320, 360, "22:00:00", true},
                                           WindowCase{1320, 360, "23:59:00", true},
                                           WindowCase{1320, 360, "00:00:00", true},
                                           WindowCase{1320, 360, "05:59:59", true},
                                           WindowCase{1320, 360, "06:00:00", false},
                                           WindowCase{1320, 360, "12:00:00", false},
                                           WindowCase{1439, 0, "23:59:00", true},
                                           WindowCase{1439, 0, "00:00:00", false}));

INSTANTIATE_TEST_SUITE_P(OneMinute, WindowTest,
                         ::testing::Values(WindowCase{540, 540, "08:59:59", false},
                                           WindowCase{540, 540, "09:00:00", true},
                                           WindowCase{540, 540, "09:00:59", true},
                                           WindowCase{540, 540, "09:01:00", false}));

INSTANTIATE_TEST_SUITE_P(OutOfRangeBounds, WindowTest,
                         ::testing::Values(WindowCase{INT_MAX, INT_MIN, "12:00:00", false},
                                           WindowCase{INT_MIN, INT_MAX, "12:00:00", true},
                                           WindowCase{INT_MAX, INT_MAX, "23:59:00", false},
                                           WindowCase{INT_MAX, 0, "00:00:00", false},
                                           WindowCase{-100, 100, "01:40:00", true},
                                           WindowCase{-100, 100, "01:41:00", false},
                                           WindowCase{1500, 2000, "01:00:00", false},
                                           WindowCase{0, 1439, "23:59:59", true}));

TEST(WindowTest, BoundsAreReadAfreshAtEveryCall) {
    auto device = makeDevice("4.0", "2026-12-07 10:00:00");
    writeSchedule(*device, true, 540, 1020);
    Daemon daemon;
    EXPECT_TRUE(daemon.withinSchedule());
    AppSettings::sharedSettings()->setScheduleEnd(599);
    EXPECT_FALSE(daemon.withinSchedule());
    device->advance(24 * 3600 - 3600 - 60);  // 08:59 the next day
    AppSettings::sharedSettings()->setScheduleEnd(1020);
    EXPECT_FALSE(daemon.withinSchedule());
}

}  // namespace
