// The guard's journal as the file keeps it: every reason survives a reload, the bound, the
// refusal count's rare writes, a period a dead daemon left open, and a damaged file.
#include <gtest/gtest.h>

#include "GuardJournal.h"
#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

const NSString kPath = "/var/root/Library/Preferences/journal.plist";

NSDate at(double minutes) { return NSDate::dateWithTimeIntervalSinceReferenceDate(minutes * 60); }

TEST(GuardJournal, EveryReasonAndFigureSurvivesAReload) {
    TestPlatform device;
    const std::vector<std::pair<GuardStart, GuardEnd>> reasons{
        {GuardStart::SwitchedOn, GuardEnd::SwitchedOff},
        {GuardStart::WindowStart, GuardEnd::WindowEnd},
        {GuardStart::BackOnCharger, GuardEnd::BatteryFloor},
        {GuardStart::WindowStart, GuardEnd::PhoneSwitchedOff}};
    {
        GuardJournal journal(kPath);
        double minute = 0;
        for (const auto& [start, end] : reasons) {
            journal.begin(
                at(minute), start, 90,
                start == GuardStart::WindowStart ? std::optional<double>(4.5) : std::nullopt);
            journal.sleepRefused();
            journal.sleepRefused();
            journal.end(at(minute + 30), end, std::nullopt);
            minute += 60;
        }
    }
    const std::vector<GuardPeriod> periods = GuardJournal::periodsAt(kPath);
    ASSERT_EQ(periods.size(), reasons.size());
    for (size_t i = 0; i < reasons.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(periods[i].began, at(60.0 * static_cast<double>(i)));
        EXPECT_EQ(periods[i].beganBecause, reasons[i].first);
        EXPECT_EQ(periods[i].endedBecause, reasons[i].second);
        EXPECT_EQ(periods[i].ended, at(60.0 * static_cast<double>(i) + 30));
        EXPECT_EQ(periods[i].sleepsRefused, 2);
        EXPECT_EQ(periods[i].batteryAtStart, 90);
        EXPECT_EQ(periods[i].batteryAtEnd, std::nullopt);
        EXPECT_EQ(periods[i].lateForWakeUp.has_value(),
                  reasons[i].first == GuardStart::WindowStart);
    }
}

TEST(GuardJournal, KeepsTheLatestFourteenPeriods) {
    TestPlatform device;
    GuardJournal journal(kPath);
    for (int i = 0; i < 20; ++i) journal.begin(at(i), GuardStart::SwitchedOn, std::nullopt);
    const auto periods = GuardJournal::periodsAt(kPath);
    ASSERT_EQ(periods.size(), GuardJournal::kPeriodsKept);
    EXPECT_EQ(periods.front().began, at(6));
    EXPECT_EQ(periods[12].endedBecause, GuardEnd::SwitchedOff);  // ended by the next begin
    EXPECT_FALSE(periods.back().ended);
}

TEST(GuardJournal, RefusalsAreWrittenEveryFewMinutesAndAnOpenPeriodClosesAtTheLastOfThem) {
    TestPlatform device;
    {
        GuardJournal journal(kPath);
        journal.begin(at(0), GuardStart::SwitchedOn, 50);
        journal.sleepRefused();
        journal.tick(at(4));
        EXPECT_EQ(GuardJournal::periodsAt(kPath).back().sleepsRefused, 0);
        journal.tick(at(5));
        EXPECT_EQ(GuardJournal::periodsAt(kPath).back().sleepsRefused, 1);
        journal.sleepRefused();  // never written: the daemon dies here
    }
    GuardJournal reopened(kPath);
    const auto periods = GuardJournal::periodsAt(kPath);
    ASSERT_EQ(periods.size(), 1u);
    EXPECT_EQ(periods[0].ended, at(5));
    EXPECT_EQ(periods[0].endedBecause, GuardEnd::PhoneSwitchedOff);
    EXPECT_EQ(periods[0].sleepsRefused, 1);
    EXPECT_FALSE(reopened.periodOpen());
}

// A setting's change restarts the daemon: switched off and on within the minute is one night.
TEST(GuardJournal, ARestartWithinAMinuteGoesOnWithThePeriodALongerGapBeginsAnother) {
    TestPlatform device;
    for (const double gapMinutes : {0.5, 1.5}) {
        SCOPED_TRACE(gapMinutes);
        device.removeFile(kPath);
        {
            GuardJournal before(kPath);
            before.begin(at(0), GuardStart::WindowStart, 90);
            before.sleepRefused();
            before.end(at(60), GuardEnd::SwitchedOff, 80);
        }
        GuardJournal after(kPath);
        after.begin(at(60 + gapMinutes), GuardStart::SwitchedOn, 80);
        after.sleepRefused();
        after.end(at(120), GuardEnd::WindowEnd, 70);
        const auto periods = GuardJournal::periodsAt(kPath);
        if (gapMinutes < 1) {
            ASSERT_EQ(periods.size(), 1u);
            EXPECT_EQ(periods[0].beganBecause, GuardStart::WindowStart);
            EXPECT_EQ(periods[0].sleepsRefused, 2);
            EXPECT_EQ(periods[0].batteryAtStart, 90);
            EXPECT_EQ(periods[0].batteryAtEnd, 70);
        } else {
            ASSERT_EQ(periods.size(), 2u);
            EXPECT_EQ(periods[0].endedBecause, GuardEnd::SwitchedOff);
            EXPECT_EQ(periods[1].sleepsRefused, 1);
        }
    }
}

TEST(GuardJournal, ADamagedFileIsPutAsideAndANewJournalStarted) {
    for (const char* damage : {"not a property list", "<plist><array/></plist>"}) {
        TestPlatform device;
        device.writeFile(kPath, damage);
        GuardJournal journal(kPath);
        EXPECT_TRUE(journal.periods().empty());
        EXPECT_EQ(device.readFile(kPath + ".damaged"), damage);
        journal.begin(at(1), GuardStart::SwitchedOn, std::nullopt);
        EXPECT_EQ(GuardJournal::periodsAt(kPath).size(), 1u);
    }
}

}  // namespace
