// SIGTERM at random moments after the daemon first showed its item, run after run on one
// device: each time the item is hidden exactly once and the daemon exits with status 0. The
// clock runs fast and sleep questions come one after another, so the signal lands while the
// daemon refreshes its item, answers a question or waits. Set GUARD_E2E_SEED to repeat a
// sequence, GUARD_E2E_RUNS for more runs than the usual 20.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "GuardDevice.h"
#include "QuestionStream.h"
#include "SeededRuns.h"

namespace {

using namespace guard_e2e;

constexpr int kUsualRuns = 20;
constexpr double kRate = 200;         // the item is refreshed every 100 ms of real time
constexpr double kIdleSleep = 10;     // and a sleep question comes every 50 ms
constexpr int kLongestDelayMs = 400;  // after the first show, before the signal

int runs() { return e2e::runsFromEnvironment(kUsualRuns); }

class Termination : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        ASSERT_TRUE(device.writeSetting("Schedule", "-bool", "false")) << device.lastOutput();
        // No idle sleep: between two runs no daemon holds the device awake, and a device asleep
        // would stop the next run's launchctl. The questions come from a QuestionStream.
        ASSERT_TRUE(device.boot("2010-01-01 12:00:00", kRate, 0)) << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    GuardDevice device{GetParam()};
};

TEST_P(Termination, AtAnyMomentAfterTheFirstShowTheItemIsHiddenOnceAndTheExitIsZero) {
    const unsigned seed = e2e::seedFromEnvironment();
    std::cout << "GUARD_E2E_SEED=" << seed << std::endl;
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(0, kLongestDelayMs);

    for (int run = 1; run <= runs(); ++run) {
        const int delay = delayMs(random);
        SCOPED_TRACE("run " + std::to_string(run) + ", signal " + std::to_string(delay) +
                     " ms after the show, GUARD_E2E_SEED=" + std::to_string(seed));
        ASSERT_EQ(device.load().status, 0) << device.lastOutput();
        const long long pid = device.waitForDaemon(static_cast<size_t>(run));
        ASSERT_GT(pid, 0) << "the daemon never started";
        ASSERT_TRUE(device.waitFor([&](const Events& e) {
            return !eventsWith<wire::events::StatusBarShow>(e, "pid", pid).empty();
        })) << "never shown";

        {
            const QuestionStream questions(device.root());
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));  // the random moment
            ASSERT_EQ(kill(static_cast<pid_t>(pid), SIGTERM), 0);
        }
        const Json ended = device.waitForEnd(pid);
        ASSERT_TRUE(ended.is_object()) << "the daemon did not end";
        EXPECT_EQ(ended.value("status", -1), 0) << ended.dump();
        ASSERT_TRUE(device.waitFor([&](const Events& e) {
            return !eventsWith<wire::events::StatusBarHide>(e, "pid", pid).empty();
        })) << "never hidden";

        Events changes;
        for (const Json& c : itemChanges(device.events()))
            if (c.value("pid", -1LL) == pid) changes.push_back(c);
        ASSERT_EQ(changes.size(), 2u) << Json(changes).dump();
        // Whatever it answered before the end, it refused.
        for (const Json& a : eventsWith<wire::events::Answer>(device.events(), "pid", pid))
            EXPECT_EQ(a.value("answer", ""), "cancel") << a.dump();
        EXPECT_TRUE(wire::events::is<wire::events::StatusBarShow>(changes[0]));
        EXPECT_TRUE(wire::events::is<wire::events::StatusBarHide>(changes[1]));
        EXPECT_EQ(device.status()["statusBar"], Json::array());
        // The job stays loaded after its program ended: unload it for the next run.
        ASSERT_EQ(device.unload().status, 0) << device.lastOutput();
        if (HasFailure()) break;
    }
}

INSTANTIATE_TEST_SUITE_P(Systems, Termination, testing::Values("3.1.3", "2.2.1"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return info.param[0] == '3' ? std::string("SpringBoardServicesRoute")
                                                         : std::string("UIApplicationRoute");
                         });

}  // namespace
