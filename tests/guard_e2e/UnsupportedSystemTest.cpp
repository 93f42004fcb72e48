// The daemon on iOS 4.0, where it has no part to play: started by launchd all the same, it
// subscribes to nothing, shows nothing, books nothing, and idles without using the processor
// until SIGTERM ends it the default way.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <thread>

#include "GuardDevice.h"

namespace {

using namespace guard_e2e;
using e2e::eventsNamed;

struct Settings {
    const char* name;
    const char* schedule;  // "-bool" value
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Settings& c, std::ostream* out) { *out << c.name; }

// A fast clock: any timer of the daemon's would fire many times a real second.
constexpr double kRate = 100;
// The interval over which the idle daemon's processor time is read, and the ticks (1/100 s
// each) it may take in it: a loop of empty run periods would take nearly all of them.
constexpr auto kIdleInterval = std::chrono::seconds(3);
constexpr long long kIdleTicksAllowed = 5;

class UnsupportedSystem : public testing::TestWithParam<Settings> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        ASSERT_TRUE(device.writeSetting("Schedule", "-bool", GetParam().schedule));
        // 20:00 lies outside the default window: a daemon that worked would book 09:00.
        ASSERT_TRUE(device.boot("2010-01-04 20:00:00", kRate, 0)) << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    GuardDevice device{"4.0"};
};

TEST_P(UnsupportedSystem, TheDaemonDoesNothingAndIdlesWithoutProcessorTime) {
    const e2e::CommandResult load = device.load();
    ASSERT_EQ(load.status, 0) << load.output;
    const long long pid = device.waitForDaemon(1);
    ASSERT_GT(pid, 0) << "the daemon never started";

    // A sleep question reaches no client of the daemon's.
    const e2e::CommandResult probe = device.session().simctl({"power", device.root(), "can-sleep"});
    ASSERT_EQ(probe.status, 0) << probe.output;

    const long long before = processorTicks(static_cast<pid_t>(pid));
    ASSERT_GE(before, 0) << "the daemon is gone";
    std::this_thread::sleep_for(kIdleInterval);  // the interval measured, not a wait for a state
    const long long after = processorTicks(static_cast<pid_t>(pid));
    ASSERT_GE(after, 0) << "the daemon ended by itself";
    EXPECT_LE(after - before, kIdleTicksAllowed)
        << "the idle daemon used " << after - before << " ticks in "
        << std::chrono::seconds(kIdleInterval).count() << " s";

    const Events events = device.events();
    EXPECT_TRUE(eventsWith<wire::events::ClientRegistered>(events, "pid", pid).empty())
        << "subscribed";
    EXPECT_TRUE(eventsWith<wire::events::Answer>(events, "pid", pid).empty())
        << "answered a question";
    EXPECT_TRUE(itemChanges(events).empty()) << Json(itemChanges(events)).dump();
    EXPECT_TRUE(wakeChanges(events).empty()) << Json(wakeChanges(events)).dump();
    const Json status = device.status();
    ASSERT_TRUE(status.is_object());
    EXPECT_EQ(status["statusBar"], Json::array());
    EXPECT_EQ(status["wakeRequests"], Json::array());
    EXPECT_EQ(status["powerClients"], Json::array());
    EXPECT_TRUE(eventsNamed<wire::events::JobEnded>(events).empty()) << "the daemon did not stay";

    // Nothing shown, so no termination handler: SIGTERM ends it the default way.
    ASSERT_EQ(device.unload().status, 0) << device.lastOutput();
    const Json ended = device.waitForEnd(pid);
    ASSERT_TRUE(ended.is_object());
    EXPECT_EQ(ended.value("signal", -1), 15) << ended.dump();
}

INSTANTIATE_TEST_SUITE_P(Settings, UnsupportedSystem,
                         testing::Values(Settings{"ScheduleOff", "false"},
                                         Settings{"ScheduleOnOutsideTheWindow", "true"}),
                         [](const testing::TestParamInfo<Settings>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
