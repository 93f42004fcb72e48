// Coalescing: when timers and the end of a run period fall due together the thread wakes once
// for all of them. The daemon's shape (a 10 s and a 20 s timer, 10 s run periods) must cost
// one wakeup per 10 s tick, even when each period starts a little late.
#include <gtest/gtest.h>

#include <vector>

#include "RunLoopInternals.h"
#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct CoalescingCase {
    const char* name;
    double lateStart;  // device seconds each period starts after the previous one ended
    unsigned maxPerHour;
};
// Test names show the case, not its bytes.
void PrintTo(const CoalescingCase& c, std::ostream* os) { *os << c.name; }

class RunLoopCoalescing : public ::testing::TestWithParam<CoalescingCase> {};

TEST_P(RunLoopCoalescing, DaemonShapedLoopWakesOncePerTick) {
    TestPlatform device;
    int ticks = 0, refreshes = 0;
    NSTimer::scheduledTimerWithTimeInterval(
        10.0, [&](NSTimer*) { ++ticks; }, nullptr, true);
    NSTimer::scheduledTimerWithTimeInterval(
        20.0, [&](NSTimer*) { ++refreshes; }, nullptr, true);
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    const unsigned long long before = platform::runLoopWakeups();
    while (CFAbsoluteTimeGetCurrent() - start < 3600.0) {
        device.sleepFor(GetParam().lateStart);
        CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true);
    }
    const unsigned long long wakeups = platform::runLoopWakeups() - before;
    EXPECT_LE(wakeups, GetParam().maxPerHour);
    EXPECT_GE(wakeups, 355u);  // the loop really ran and waited
    EXPECT_GE(ticks, 359);     // and every timer still fired on time
    EXPECT_GE(refreshes, 179);
}

INSTANTIATE_TEST_SUITE_P(Table, RunLoopCoalescing,
                         ::testing::Values(CoalescingCase{"OnTime", 0.0, 360},
                                           CoalescingCase{"LateByAFraction", 0.01, 361},
                                           CoalescingCase{"LateByASecond", 1.0, 361}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunLoopCoalescingCounter, CountsEveryWaitAndEndsThePeriodWithItsLastFiring) {
    TestPlatform device;
    std::vector<double> firedAt;
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    for (double at : {6.0, 3.0, 12.0})
        NSTimer::scheduledTimerWithTimeInterval(
            at, [&](NSTimer*) { firedAt.push_back(CFAbsoluteTimeGetCurrent() - start); }, nullptr,
            false);
    const unsigned long long before = platform::runLoopWakeups();
    // The 10 s period holds firings at 3 and 6 s: it wakes for each and ends with the last.
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunTimedOut);
    EXPECT_EQ(platform::runLoopWakeups() - before, 2u);
    EXPECT_EQ(firedAt, (std::vector<double>{3.0, 6.0}));
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent() - start, 6.0);
}

TEST(RunLoopCoalescingCounter, PeriodWithoutTimersWakesOnceAtItsEnd) {
    TestPlatform device;
    NSTimer::scheduledTimerWithTimeInterval(
        60.0, [](NSTimer*) {}, nullptr, true);
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    const unsigned long long before = platform::runLoopWakeups();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true), kCFRunLoopRunTimedOut);
    EXPECT_EQ(platform::runLoopWakeups() - before, 1u);
    EXPECT_DOUBLE_EQ(CFAbsoluteTimeGetCurrent() - start, 10.0);
}

}  // namespace
