// The guard with a battery floor of 20 % on iPhone OS 3.1.3, off the charger at 22 %, without a
// schedule and inside its window: it refuses sleep while the charge lasts, lets go within a
// device minute of the level falling below 20 % (the item goes; inside a window, the window's next
// start is booked so that a sleeping phone wakes for it), the device sleeps at its next idle
// question, and plugging the charger in wakes it and the guard takes hold again. The journal
// shows the period the floor ended and the one the charger began.
#include <base/PlistFile.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "GuardDevice.h"
#include "GuardExpectations.h"

namespace {

using namespace guard_e2e;
using e2e::eventsNamed;

constexpr double kRate = 20;       // a device minute is 3 s of real time
constexpr double kIdleSleep = 60;  // device seconds
// Percent an hour, screen lit or dark: from 22 % to below 20 % in three device minutes.
constexpr char kDrain[] = "40";
constexpr long long kFloor = 20;

struct FloorCase {
    const char* name;
    bool schedule;
};

void PrintTo(const FloorCase& c, std::ostream* out) { *out << c.name; }

struct JournalPeriod {
    std::string beganBecause, endedBecause;
    std::optional<int64_t> batteryAtEnd;
};

std::vector<JournalPeriod> journalPeriods(const std::string& root) {
    const base::PlistFile file = base::readPlistFile(
        (std::filesystem::path(root) / std::string(kJournalFile).substr(1)).string());
    const PList::Dictionary* top = file.dictionary();
    const PList::Array* periods = top ? base::arrayAt(*top, "Periods") : nullptr;
    std::vector<JournalPeriod> found;
    if (!periods) return found;
    for (const auto& item : base::arrayItems(*periods)) {
        const auto* period = dynamic_cast<const PList::Dictionary*>(item.get());
        if (!period) continue;
        found.push_back({base::stringAt(*period, "BeganBecause").value_or(""),
                         base::stringAt(*period, "EndedBecause").value_or(""),
                         base::integerAt(*period, "BatteryAtEnd")});
    }
    return found;
}

class BatteryFloor : public testing::TestWithParam<FloorCase> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        const bool settings =
            device.writeSetting("BatteryFloor", "-int", std::to_string(kFloor)) &&
            (GetParam().schedule ? device.writeSetting("Schedule", "-bool", "true") &&
                                       device.writeSetting("ScheduleStart", "-int", "660") &&
                                       device.writeSetting("ScheduleEnd", "-int", "840")
                                 : device.writeSetting("Schedule", "-bool", "false"));
        ASSERT_TRUE(settings) << device.lastOutput();
        ASSERT_TRUE(device.battery(
            {"--level", "22", "--unplug", "--drain-lit", kDrain, "--drain-dark", kDrain}))
            << device.lastOutput();
        ASSERT_TRUE(device.boot("2010-01-01 12:00:00", kRate, kIdleSleep)) << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    GuardDevice device{"3.1.3"};
};

TEST_P(BatteryFloor, HoldsAboveTheFloorLetsGoBelowItAndTakesHoldAgainOnTheCharger) {
    ASSERT_EQ(device.load().status, 0) << device.lastOutput();
    const long long pid = device.waitForDaemon(1);
    ASSERT_GT(pid, 0) << "the daemon never started";
    // The level reads rounded down: draining, it reads 19 from the moment it reaches 20.
    auto belowFloor = [](const Events& e) {
        for (size_t i = 0; i < e.size(); ++i)
            if (wire::events::is<wire::events::BatteryLevel>(e[i]) &&
                e[i].value("level", 100LL) <= kFloor)
                return i;
        return e.size();
    };
    auto sleptAfterLettingGo = [&](const Events& e) {
        return indexOf<wire::events::Sleep>(e,
                                            indexOf<wire::events::StatusBarHide>(e, belowFloor(e)));
    };
    ASSERT_TRUE(device.waitFor([&](const Events& e) { return sleptAfterLettingGo(e) < e.size(); }))
        << "the level never fell below the floor, the item never went or the device never slept";

    ASSERT_TRUE(device.battery({"--plug"})) << device.lastOutput();
    auto heldAgain = [&](const Events& e) {
        const size_t woke = indexOf<wire::events::Wake>(e, sleptAfterLettingGo(e));
        const size_t shown = indexOf<wire::events::StatusBarShow>(e, woke);
        return indexOf<wire::events::SleepCancelled>(e, shown);
    };
    ASSERT_TRUE(device.waitFor([&](const Events& e) { return heldAgain(e) < e.size(); }))
        << "on the charger the guard never showed its item and refused sleep again";

    const Events events = device.events();
    const size_t fell = belowFloor(events);
    const size_t hidden = indexOf<wire::events::StatusBarHide>(events, fell);
    const size_t slept = sleptAfterLettingGo(events);
    const size_t woke = indexOf<wire::events::Wake>(events, slept);
    const size_t shownAgain = indexOf<wire::events::StatusBarShow>(events, woke);

    // Held from its start to the fall below the floor: shown once, every question refused.
    const Events held = slice(events, indexOf<wire::events::ClientRegistered>(events), fell);
    const Events heldQuestions = sleepQuestions(held);
    EXPECT_GE(heldQuestions.size(), 2u) << "too few idle periods above the floor";
    expectAnswered(events, heldQuestions, pid, "cancel");
    ASSERT_EQ(itemChanges(slice(events, 0, hidden)).size(), 1u);
    EXPECT_EQ(indexOf<wire::events::Sleep>(events), slept) << "slept above the floor";

    // Let go within a device minute of the fall, asleep at the next idle question.
    EXPECT_EQ(events[hidden].value("pid", -1LL), pid);
    EXPECT_LE(timeOf(events[hidden]) - timeOf(events[fell]), 60) << events[hidden].dump();
    const Events lettingGo = slice(events, hidden, slept);
    EXPECT_TRUE(eventsNamed<wire::events::SleepCancelled>(lettingGo).empty())
        << "refused sleep after letting go";
    expectAnswered(events, sleepQuestions(lettingGo), pid, "allow");
    EXPECT_LE(timeOf(events[slept]) - timeOf(events[hidden]), kIdleSleep + 10)
        << events[slept].dump();

    // Inside the window the next one's start is booked as it lets go, and the sleep ends there.
    const Events booked = eventsWith<wire::events::WakeBooked>(events, "pid", pid);
    if (GetParam().schedule) {
        ASSERT_EQ(booked.size(), 1u) << Json(booked).dump();
        EXPECT_EQ(booked[0].value("scheduledby", ""), kLabel);
        EXPECT_TRUE(startsWith(booked[0]["wakeTime"], "2010-01-02T11:00:")) << booked[0].dump();
        EXPECT_GE(timeOf(booked[0]), timeOf(events[hidden])) << booked[0].dump();
        EXPECT_EQ(events[slept].value("wakeAt", ""), booked[0].value("wakeTime", ""));
    } else {
        EXPECT_TRUE(booked.empty()) << "no schedule, no wake";
    }

    // The charger wakes the device and the guard takes hold again.
    EXPECT_EQ(events[woke].value("reason", ""), "power-source") << events[woke].dump();
    EXPECT_EQ(events[shownAgain].value("pid", -1LL), pid);
    EXPECT_LE(timeOf(events[shownAgain]) - timeOf(events[woke]), 10) << events[shownAgain].dump();
    expectAnswered(events, sleepQuestions(slice(events, shownAgain, events.size())), pid, "cancel");
    expectNoMissedOrStrayAnswers(events, pid);

    // What the owner reads in the morning: the floor ended one period, the charger began the next.
    const std::vector<JournalPeriod> periods = journalPeriods(device.root());
    ASSERT_EQ(periods.size(), 2u) << "journal at " << kJournalFile;
    EXPECT_EQ(periods[0].beganBecause, "switched-on");
    EXPECT_EQ(periods[0].endedBecause, "battery-floor");
    EXPECT_EQ(periods[0].batteryAtEnd, std::optional<int64_t>(kFloor - 1));
    EXPECT_EQ(periods[1].beganBecause, "charger");
}

INSTANTIATE_TEST_SUITE_P(Guard, BatteryFloor,
                         testing::Values(FloorCase{"Unscheduled", false},
                                         FloorCase{"InsideTheWindow", true}),
                         [](const testing::TestParamInfo<FloorCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
