// Timers on the run loop: order, times, repetition, and firings missed while asleep.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct Firing {
    std::string name;
    std::string time;
    bool operator==(const Firing&) const = default;
};

NSTimer* recordingTimer(std::vector<Firing>& log, TestPlatform& device, std::string name,
                        double interval, bool repeats) {
    return NSTimer::scheduledTimerWithTimeInterval(
        interval,
        [&log, &device, name](NSTimer*) {
            log.push_back({name, device.timeText()});
        },
        nullptr, repeats);
}

TEST(RunLoopTimers, FireInOrderOfTheirTimesAsTheClockMoves) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    std::vector<Firing> log;
    recordingTimer(log, device, "three", 3, false);
    recordingTimer(log, device, "one", 1, false);
    recordingTimer(log, device, "two", 2, false);

    device.advance(5);

    const std::vector<Firing> expected{{"one", "2026-12-07 10:00:01"},
                                       {"two", "2026-12-07 10:00:02"},
                                       {"three", "2026-12-07 10:00:03"}};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(device.timeText(), "2026-12-07 10:00:05");
}

TEST(RunLoopTimers, RepeatingTimerKeepsItsGridAndOneShotFiresOnce) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    std::vector<Firing> log;
    recordingTimer(log, device, "tick", 10, true);
    NSTimer* once = recordingTimer(log, device, "once", 15, false);

    device.advance(35);

    const std::vector<Firing> expected{{"tick", "2026-12-07 10:00:10"},
                                       {"once", "2026-12-07 10:00:15"},
                                       {"tick", "2026-12-07 10:00:20"},
                                       {"tick", "2026-12-07 10:00:30"}};
    EXPECT_EQ(log, expected);
    (void)once;  // owned and freed by the run loop once it fired
}

TEST(RunLoopTimers, TimerThatMissedFiringsWhileAsleepFiresOnceAndStaysOnItsGrid) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    std::vector<Firing> log;
    NSTimer* tick = recordingTimer(log, device, "tick", 10, true);

    device.sleepFor(95);  // nine firings fall due while nothing runs
    device.runOnce();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].time, "2026-12-07 10:01:35");
    EXPECT_EQ(tick->fireDate().description(), "2026-12-07 10:01:40");

    device.advance(5);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].time, "2026-12-07 10:01:40");
}

TEST(RunLoopTimers, SettingTheWallClockMovesNoTimer) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    std::vector<Firing> log;
    NSTimer* tick = recordingTimer(log, device, "tick", 10, true);
    device.advance(5);
    device.setWallClock("2026-12-06 10:00:05");  // a day back, as the network may set it
    EXPECT_EQ(tick->fireDate().description(), "2026-12-06 10:00:10");
    device.advance(5);
    ASSERT_EQ(log.size(), 1u);  // ten seconds after it was scheduled, not a day later
    EXPECT_EQ(log[0].time, "2026-12-06 10:00:10");
}

TEST(RunLoopTimers, InvalidatedTimerNeverFires) {
    TestPlatform device;
    std::vector<Firing> log;
    NSTimer* timer = recordingTimer(log, device, "gone", 1, true);
    timer->invalidate();
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 5, false), kCFRunLoopRunFinished);
    device.advance(5);
    EXPECT_TRUE(log.empty());
}

TEST(RunLoopTimers, TimerCreatedInsideAFiringJoinsTheLoop) {
    TestPlatform device;
    device.setTime("2026-12-07 10:00:00");
    std::vector<Firing> log;
    NSTimer::scheduledTimerWithTimeInterval(
        1,
        [&](NSTimer*) {
            log.push_back({"outer", device.timeText()});
            recordingTimer(log, device, "inner", 2, false);
        },
        nullptr, false);
    device.advance(4);
    const std::vector<Firing> expected{{"outer", "2026-12-07 10:00:01"},
                                       {"inner", "2026-12-07 10:00:03"}};
    EXPECT_EQ(log, expected);
}

}  // namespace
