// The guard without a schedule on iPhone OS 3.1.3 and 2.2.1: loaded for good through launchctl,
// the daemon shows its item by the route of the system, refuses every sleep question so the
// device stays awake across idle period after idle period, and on `unload -w` hides the item
// and ends with status 0.
#include <gtest/gtest.h>

#include <ostream>

#include "GuardDevice.h"
#include "GuardExpectations.h"
#include "GuardSystems.h"

namespace {

using namespace guard_e2e;
using e2e::eventsNamed;

constexpr double kRate = 10;       // an idle period of 30 device seconds is 3 s of real time
constexpr double kIdleSleep = 30;  // device seconds
constexpr size_t kIdlePeriods = 4;

class ScheduleOff : public testing::TestWithParam<System> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installAndBootUnscheduled(kRate, kIdleSleep)) << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    GuardDevice device{GetParam().version};
};

TEST_P(ScheduleOff, KeepsTheDeviceAwakeWithItsItemUntilUnloadedThenHidesItAndExitsZero) {
    const std::string route = GetParam().route;
    const e2e::CommandResult load = device.load();
    ASSERT_EQ(load.status, 0) << load.output;
    const long long pid = device.waitForDaemon(1);
    ASSERT_GT(pid, 0) << "the daemon never started";

    // Shown by the system's route, then idle period after idle period without sleep.
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        return !eventsWith<wire::events::StatusBarShow>(e, "pid", pid).empty() &&
               eventsNamed<wire::events::SleepCancelled>(e).size() >= kIdlePeriods;
    })) << "no item or too few idle periods";
    // launchctl lists it with its pid: the line ends in a tab and the label.
    const e2e::CommandResult list = device.session().spawn({"/bin/launchctl", "list"});
    ASSERT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find(std::to_string(pid) + "\t0\t" + kLabel + "\n"), std::string::npos)
        << list.output;
    const Json shown = device.status();
    ASSERT_TRUE(shown.is_object());
    EXPECT_EQ(shown["statusBar"], Json::array({kItem}));
    EXPECT_EQ(shown["power"], "awake");

    const e2e::CommandResult unload = device.unload();
    ASSERT_EQ(unload.status, 0) << unload.output;
    const Json ended = device.waitForEnd(pid);
    ASSERT_TRUE(ended.is_object()) << "the daemon did not end";
    // The hide may reach SpringBoard's log after launchd has seen the end.
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        return !eventsWith<wire::events::StatusBarHide>(e, "pid", pid).empty();
    })) << "the item was never hidden";

    const Events events = device.events();
    EXPECT_EQ(ended.value("status", -1), 0) << ended.dump();
    EXPECT_FALSE(ended.contains("signal")) << ended.dump();
    EXPECT_TRUE(eventsNamed<wire::events::JobKilled>(events).empty()) << "SIGTERM was not enough";
    EXPECT_EQ(eventsWith<wire::events::ClientRegistered>(events, "pid", pid).size(), 1u);

    const Events changes = itemChanges(events);
    ASSERT_EQ(changes.size(), 2u) << Json(changes).dump();
    EXPECT_TRUE(wire::events::is<wire::events::StatusBarShow>(changes[0]));
    EXPECT_TRUE(wire::events::is<wire::events::StatusBarHide>(changes[1]));
    for (const Json& change : changes) {
        EXPECT_EQ(change.value("route", ""), route) << change.dump();
        EXPECT_EQ(change.value("pid", -1LL), pid) << change.dump();
    }

    // Every question from the daemon's subscription to its end: refused with its own argument.
    const size_t from = indexOf<wire::events::ClientRegistered>(events);
    const size_t until = indexOf<wire::events::JobEnded>(events, from);
    const Events questions = sleepQuestions(slice(events, from, until));
    EXPECT_GE(questions.size(), kIdlePeriods);
    expectAnswered(events, questions, pid, "cancel");
    expectNoMissedOrStrayAnswers(events, pid);
    EXPECT_TRUE(eventsNamed<wire::events::Sleep>(events).empty()) << "the device slept";
    EXPECT_TRUE(eventsWith<wire::events::WakeBooked>(events, "pid", pid).empty())
        << "no schedule, no wake";

    // launchd's record and the status bar after the end.
    const Json after = device.status();
    ASSERT_TRUE(after.is_object());
    EXPECT_EQ(after["statusBar"], Json::array());
    bool listed = false;
    for (const Json& job : after["jobs"]) {
        if (job.value("label", "") != kLabel) continue;
        listed = true;
        EXPECT_EQ(job["lastExitStatus"], 0) << job.dump();
        EXPECT_TRUE(job["lastSignal"].is_null()) << job.dump();
        EXPECT_TRUE(job["pid"].is_null()) << job.dump();
        EXPECT_FALSE(job.value("loaded", true)) << job.dump();
        EXPECT_FALSE(job.value("enabled", true)) << job.dump();
    }
    EXPECT_TRUE(listed) << after.dump();
    const e2e::CommandResult unlisted = device.session().spawn({"/bin/launchctl", "list"});
    EXPECT_EQ(unlisted.output.find(std::string("\t") + kLabel), std::string::npos)
        << unlisted.output;
}

INSTANTIATE_TEST_SUITE_P(Systems, ScheduleOff, everySystem(), routeName);

}  // namespace
