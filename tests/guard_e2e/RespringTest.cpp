// A respring while the guard holds, on iPhone OS 3.1.3 and 2.2.1: the new SpringBoard starts
// with an empty status bar and the daemon, which lives on, puts its item back by the system's
// route within its 20-second refresh (on 3.1.3 through the new SpringBoard's server port, asked
// again), keeps refusing sleep, and on `unload -w` hides the item from the new SpringBoard.
#include <gtest/gtest.h>

#include <ostream>

#include "GuardDevice.h"
#include "GuardSystems.h"

namespace {

using namespace guard_e2e;
using e2e::eventsNamed;

constexpr double kRate = 10;         // the 20-second refresh is 2 s of real time
constexpr double kIdleSleep = 30;    // device seconds
constexpr long long kRefresh = 20;   // device seconds between the daemon's addIcon calls
constexpr long long kLateness = 10;  // device seconds a loaded machine may add to a refresh

class Respring : public testing::TestWithParam<System> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installAndBootUnscheduled(kRate, kIdleSleep)) << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    // The item changes of `pid` after the event at index `from`.
    static Events changesAfter(const Events& events, size_t from, long long pid) {
        Events found;
        for (const Json& change : itemChanges(slice(events, from, events.size())))
            if (change.value("pid", -1LL) == pid) found.push_back(change);
        return found;
    }

    GuardDevice device{GetParam().version};
};

TEST_P(Respring, TheHoldingGuardPutsItsItemBackWithinItsRefreshAndHidesItFromTheNewSpringBoard) {
    const std::string route = GetParam().route;
    ASSERT_EQ(device.load().status, 0) << device.lastOutput();
    const long long daemon = device.waitForDaemon(1);
    ASSERT_GT(daemon, 0) << "the daemon never started";
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        return !eventsWith<wire::events::StatusBarShow>(e, "pid", daemon).empty();
    })) << "the item was never shown";
    const Json before = device.status();
    ASSERT_TRUE(before.is_object());
    const long long oldSpringBoard = before.value("springBoardPid", -1LL);
    ASSERT_GT(oldSpringBoard, 0) << before.dump();

    const e2e::CommandResult respring = device.session().simctl({"respring", device.root()});
    ASSERT_EQ(respring.status, 0) << respring.output;
    EXPECT_NE(respring.output.find("pid " + std::to_string(oldSpringBoard) + " ended"),
              std::string::npos)
        << respring.output;

    Events events = device.events();
    const size_t at = indexOf<wire::events::Respring>(events);
    ASSERT_LT(at, events.size()) << "no respring in the log";
    const Json restart = events[at];  // a copy: `events` is read again below
    EXPECT_EQ(restart.value("old", -1LL), oldSpringBoard) << restart.dump();
    const long long newSpringBoard = restart.value("new", -1LL);
    EXPECT_GT(newSpringBoard, 0) << restart.dump();
    EXPECT_NE(newSpringBoard, oldSpringBoard);
    const Events ended = eventsWith<wire::events::ProcessEnded>(events, "pid", oldSpringBoard);
    ASSERT_EQ(ended.size(), 1u) << "the old SpringBoard's end is not logged";
    EXPECT_EQ(ended[0].value("signal", -1), 15) << ended[0].dump();

    // The new status bar starts empty: the item is shown afresh, by the same daemon.
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        return !changesAfter(e, at, daemon).empty() &&
               !eventsNamed<wire::events::SleepCancelled>(slice(e, at, e.size())).empty();
    })) << "the item never came back after the respring";
    events = device.events();
    const Events back = changesAfter(events, at, daemon);
    EXPECT_TRUE(wire::events::is<wire::events::StatusBarShow>(back[0])) << back[0].dump();
    EXPECT_EQ(back[0].value("route", ""), route) << back[0].dump();
    EXPECT_LE(timeOf(back[0]) - timeOf(restart), kRefresh + kLateness)
        << "not within the refresh: " << back[0].dump() << " after " << restart.dump();
    EXPECT_EQ(daemonStarts(events), std::vector<long long>{daemon}) << "the daemon restarted";
    const Json shown = device.status();
    ASSERT_TRUE(shown.is_object());
    EXPECT_EQ(shown["statusBar"], Json::array({kItem})) << shown.dump();
    EXPECT_EQ(shown.value("springBoardPid", -1LL), newSpringBoard);
    EXPECT_EQ(shown["power"], "awake");

    // The hide reaches the new SpringBoard (on 3.1.3: the port of the last addIcon is its own).
    ASSERT_EQ(device.unload().status, 0) << device.lastOutput();
    ASSERT_TRUE(device.waitForEnd(daemon).is_object()) << "the daemon did not end";
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        const Events changes = changesAfter(e, at, daemon);
        return !changes.empty() && wire::events::is<wire::events::StatusBarHide>(changes.back());
    })) << "the item was never hidden from the new SpringBoard";
    const Json after = device.status();
    ASSERT_TRUE(after.is_object());
    EXPECT_EQ(after["statusBar"], Json::array()) << after.dump();
    EXPECT_TRUE(eventsNamed<wire::events::Sleep>(device.events()).empty()) << "the device slept";
}

INSTANTIATE_TEST_SUITE_P(Systems, Respring, everySystem(), routeName);

}  // namespace
