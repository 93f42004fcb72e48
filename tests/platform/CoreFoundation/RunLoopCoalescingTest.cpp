// Coalescing: when timers and the end of a run period fall due together the thread wakes once
// for all of them. The daemon's shape (a 10 s and a 20 s timer, 10 s run periods) must cost
// one wakeup per 10 s tick, even when each period starts a little late and when the 20 s timer
// was scheduled a hair after the 10 s one. A timer due within its leeway (a tenth of its
// interval, at most a second) of one that fires fires with it, never earlier than that.
#include <CoreFoundationInternal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct CoalescingCase {
    const char* name;
    double lateStart;   // device seconds each period starts after the previous one ended
    double refreshLag;  // device seconds between scheduling the 10 s and the 20 s timer
    unsigned maxPerHour;
};
// Test names show the case, not its bytes.
void PrintTo(const CoalescingCase& c, std::ostream* os) { *os << c.name; }

class RunLoopCoalescing : public ::testing::TestWithParam<CoalescingCase> {};

TEST_P(RunLoopCoalescing, DaemonShapedLoopWakesOncePerTick) {
    TestPlatform device;
    int ticks = 0, refreshes = 0;
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    NSTimer::scheduledTimerWithTimeInterval(
        10.0, [&](NSTimer*) { ++ticks; }, nullptr, true);
    device.sleepFor(GetParam().refreshLag);
    NSTimer::scheduledTimerWithTimeInterval(
        20.0, [&](NSTimer*) { ++refreshes; }, nullptr, true);
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
                         ::testing::Values(CoalescingCase{"OnTime", 0.0, 0.0, 360},
                                           CoalescingCase{"LateByAFraction", 0.01, 0.0, 361},
                                           CoalescingCase{"LateByASecond", 1.0, 0.0, 361},
                                           CoalescingCase{"RefreshAHairLater", 0.0, 0.25, 360},
                                           CoalescingCase{"RefreshAHairLaterAndLate", 0.01, 0.25,
                                                          361}),
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

struct LeewayCase {
    const char* name;
    double first, second;  // one-shot timers, device seconds from now
    std::vector<double> firedAt;
    unsigned long long wakeups;
};
void PrintTo(const LeewayCase& c, std::ostream* os) { *os << c.name; }

class RunLoopLeeway : public ::testing::TestWithParam<LeewayCase> {};

TEST_P(RunLoopLeeway, TimerDueWithinItsLeewayFiresWithTheOneThatIsDue) {
    TestPlatform device;
    std::vector<double> firedAt;
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    for (double at : {GetParam().first, GetParam().second})
        NSTimer::scheduledTimerWithTimeInterval(
            at, [&](NSTimer*) { firedAt.push_back(CFAbsoluteTimeGetCurrent() - start); }, nullptr,
            false);
    const unsigned long long before = platform::runLoopWakeups();
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 20.0, false);
    EXPECT_EQ(firedAt, GetParam().firedAt);
    EXPECT_EQ(platform::runLoopWakeups() - before, GetParam().wakeups);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunLoopLeeway,
    ::testing::Values(LeewayCase{"AHairLaterFiresTogether", 10.0, 10.3, {10.0, 10.0}, 1},
                      LeewayCase{"BeyondTheSecondFiresApart", 10.0, 11.5, {10.0, 11.5}, 2},
                      LeewayCase{"BeyondATenthOfAShortOneFiresApart", 2.0, 2.5, {2.0, 2.5}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunLoopLeeway, NoTimerFiresEarlierThanItsLeeway) {
    TestPlatform device;
    struct Timer {
        double interval, offset;
    };
    const Timer timers[] = {{10, 0}, {20, 0.25}, {7, 0.5}, {3, 0.1}, {30, 0.9}, {45, 2}};
    int firings = 0, early = 0;
    for (const Timer& t : timers) {
        device.sleepFor(t.offset);
        NSTimer::scheduledTimerWithTimeInterval(
            t.interval,
            [&](NSTimer* timer) {
                // The firing it stands for; the timer has moved on to its next one already.
                const double due =
                    timer->fireDate().timeIntervalSinceReferenceDate() - timer->timeInterval();
                const double now = CFAbsoluteTimeGetCurrent();
                EXPECT_GE(now, due - std::min(1.0, timer->timeInterval() / 10) - 1e-9)
                    << "a " << timer->timeInterval() << " s timer";
                ++firings;
                early += now < due;
            },
            nullptr, true);
    }
    const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();
    while (CFAbsoluteTimeGetCurrent() - start < 3600.0) {
        device.sleepFor(0.3);
        CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true);
    }
    int expected = 0;  // the firings of a whole hour, one each spared for the offsets
    for (const Timer& t : timers) expected += static_cast<int>(3600 / t.interval) - 1;
    EXPECT_GE(firings, expected);
    // The leeway was used.
    EXPECT_GT(early, 0);
}

}  // namespace
