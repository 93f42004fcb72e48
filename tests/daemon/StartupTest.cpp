// Start-up: what the daemon subscribes, creates, shows and books, in order, for each case of
// the settings and the system version.
#include <gtest/gtest.h>

#include "DaemonLoop.h"
#include "DaemonTestSupport.h"

using namespace daemon_test;

namespace {

using Events = std::vector<std::string>;

TEST(DaemonStartup, ScheduleOffGuardsFromTheStartAndRefreshesEveryTwentySeconds) {
    auto device = makeDevice("3.1.3", "2026-12-07 14:00:00");
    writeSchedule(*device, false, 1320, 360);
    Daemon daemon;
    EXPECT_TRUE(daemon.inSchedule());
    EXPECT_EQ(guardEvents(*device), (Events{"subscribe", "show", "timer 20"}));
    EXPECT_EQ(StatusBarController::sharedStatusBarController()->iconName(), "VigilantPro");

    device->advance(60);
    const Events events = guardEvents(*device);
    EXPECT_EQ(countOf(events, "show"), 4u);  // at start, then at 20, 40 and 60 s
    EXPECT_EQ(countOf(events, "timer 10"), 0u);
    EXPECT_EQ(countOf(events, "book"), 0u);
    EXPECT_EQ(countOf(events, "hide"), 0u);

    device->deliverPowerMessage(kIOMessageCanSystemSleep, 11);
    device->deliverPowerMessage(kIOMessageSystemWillSleep, 12);
    const Events all = guardEvents(*device);
    const Events answers(all.end() - 2, all.end());
    EXPECT_EQ(answers, (Events{"cancel 11", "cancel 12"}));
}

TEST(DaemonStartup, InsideTheWindowShowsAtOnceAndBooksNothing) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_TRUE(daemon.inSchedule());
    // The window tick exists before the direct first evaluation.
    EXPECT_EQ(guardEvents(*device), (Events{"subscribe", "timer 10", "show", "timer 20"}));
}

TEST(DaemonStartup, OutsideTheWindowBooksAtOnceAndLeavesTheIconAlone) {
    auto device = makeDevice("3.1.3", "2026-12-07 17:01:37");
    writeSchedule(*device, true, 540, 1020);
    Daemon daemon;
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(guardEvents(*device),
              (Events{"subscribe", "timer 10", "book 2026-12-08 09:00:37", "timer 20"}));
    device->advance(40);  // ticks and refreshes while outside: nothing
    EXPECT_EQ(guardEvents(*device).size(), 4u);
}

TEST(DaemonStartup, FirstTickAndRefreshComeTenAndTwentySecondsAfterStart) {
    auto device = makeDevice("3.1.3", "2026-12-07 21:59:55");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_FALSE(daemon.inSchedule());
    device->advance(9);  // 22:00:04: the window opened, but no tick yet
    EXPECT_FALSE(daemon.inSchedule());
    device->advance(1);  // 22:00:05: the first tick
    EXPECT_TRUE(daemon.inSchedule());
    EXPECT_EQ(countOf(guardEvents(*device), "show"), 1u);
    device->advance(10);  // 22:00:15: the first refresh
    EXPECT_EQ(countOf(guardEvents(*device), "show"), 2u);
}

class UnsupportedVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(UnsupportedVersion, DoesNothingThenOrLater) {
    auto device = makeDevice(GetParam(), "2026-12-07 14:00:00");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_EQ(device->calls(), (Records{platform::testing::SystemVersionRead{}}));
    EXPECT_FALSE(daemon.inSchedule());
    EXPECT_EQ(daemon.powerController(), nullptr);
    EXPECT_FALSE(device->deliverPowerMessage(kIOMessageCanSystemSleep, 1));
    // Nothing is left to wait on: a run period returns at once and the clock stands still.
    const CFAbsoluteTime before = CFAbsoluteTimeGetCurrent();
    EXPECT_EQ(runDaemonPeriod(), kCFRunLoopRunFinished);
    EXPECT_EQ(CFAbsoluteTimeGetCurrent(), before);
    device->advance(3600);
    EXPECT_EQ(device->calls().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Table, UnsupportedVersion,
                         ::testing::Values("4.0", "4.2.1", "5.0", "10.3", "1.1.4", "", " 3.1.3",
                                           "iPhone OS 3"));

class SupportedVersion : public ::testing::TestWithParam<const char*> {};

TEST_P(SupportedVersion, Subscribes) {
    auto device = makeDevice(GetParam(), "2026-12-07 14:00:00");
    writeSchedule(*device, false, 540, 1020);
    Daemon daemon;
    EXPECT_TRUE(device->powerRegistered());
    EXPECT_TRUE(daemon.inSchedule());
}

INSTANTIATE_TEST_SUITE_P(Table, SupportedVersion,
                         ::testing::Values("2.2.1", "2.0", "3.1.3", "3.0", "3", "2"));

TEST(DaemonStartup, FailedSubscriptionLeavesTimersIconAndBookingsWorking) {
    auto device = makeDevice("3.1.3", "2026-12-07 21:59:55");
    writeSchedule(*device, true, 1320, 360);
    device->failNextPowerRegistration();
    Daemon daemon;
    EXPECT_FALSE(device->powerRegistered());
    EXPECT_EQ(daemon.powerController()->rootPort(), 0u);
    // No power source: the only sources added are the clock observations' own.
    EXPECT_EQ(device->countCalls<platform::probe::RunLoopSourceAdded>(),
              device->countCalls<platform::testing::NotifyRegistration>());
    EXPECT_EQ(countOf(guardEvents(*device), "book"), 1u);
    device->advance(10);
    EXPECT_TRUE(daemon.inSchedule());
    EXPECT_EQ(countOf(guardEvents(*device), "show"), 1u);
    EXPECT_FALSE(device->deliverPowerMessage(kIOMessageCanSystemSleep, 5));
}

TEST(DaemonStartup, ScheduleIsReadOnlyAtStartUp) {
    auto device = makeDevice("3.1.3", "2026-12-07 14:00:00");
    writeSchedule(*device, false, 540, 1020);
    Daemon daemon;
    AppSettings::sharedSettings()->setSchedule(YES);  // the app changes it; no restart yet
    device->advance(120);
    EXPECT_TRUE(daemon.inSchedule());  // still guarding all day, as started
    EXPECT_EQ(countOf(guardEvents(*device), "book"), 0u);
}

}  // namespace
