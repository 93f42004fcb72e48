// The battery on a booted 3.1.3 device with short rates: it drains while the device sleeps,
// the charger wakes it, and an empty battery switches the device off and keeps it off until
// it is plugged in.
#include <gtest/gtest.h>

#include "SimE2E.h"

namespace {

using e2e::DeviceSession;
using e2e::eventsNamed;
using namespace sim_e2e;

// The level of each battery-level event, in log order.
std::vector<int> levels(const Events& events) {
    std::vector<int> out;
    for (const Json& e : eventsNamed(events, "battery-level")) out.push_back(e.value("level", -1));
    return out;
}

class BatteryOnDevice : public testing::Test {
  protected:
    bool simctlOk(const std::vector<std::string>& arguments) {
        const e2e::CommandResult run = device.simctl(arguments);
        EXPECT_EQ(run.status, 0) << run.output;
        return run.status == 0;
    }
    DeviceSession device{"3.1.3"};
};

TEST_F(BatteryOnDevice, DrainsAsleepWakesOnThePlugAndSwitchesOffWhenEmpty) {
    // At 10 times real time: lit five device seconds after boot, then asleep at a percent
    // every ten device seconds (one real second).
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--level", "50.5", "--drain-asleep", "360",
                          "--drain-lit", "36", "--drain-dark", "36"}));
    ASSERT_TRUE(device.boot({"--rate", "10", "--idle-sleep", "5"})) << device.lastOutput();
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return levels(e).size() >= 2 && !eventsNamed(e, "sleep").empty(); },
        kHostBudget))
        << "the battery did not drain";
    Json status = device.status();
    EXPECT_EQ(status["power"], "asleep") << status.dump();
    EXPECT_EQ(status["battery"]["state"], "unplugged") << status.dump();
    EXPECT_LE(status["battery"]["level"].get<int>(), 49) << status.dump();
    const std::vector<int> drained = levels(device.events());
    EXPECT_EQ(std::vector<int>(drained.begin(), drained.begin() + 2), (std::vector<int>{50, 49}));

    // The charger wakes the sleeping device; it charges.
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--plug"}));
    Events events = device.events();
    const Events wakes = eventsNamed(events, "wake");
    ASSERT_EQ(wakes.size(), 1u);
    EXPECT_EQ(wakes[0]["reason"], "power-source");
    const Events sources = eventsNamed(events, "power-source");
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(sources[0]["state"], "charging");
    EXPECT_EQ(device.status()["battery"]["state"], "charging");

    // Off the charger with half a percent left, it soon empties: the device ends every process
    // as at shutdown.
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--unplug", "--level", "0.5"}));
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed(e, "shutdown-complete").empty(); }, kHostBudget))
        << "an empty battery did not switch the device off";
    events = device.events();
    EXPECT_EQ(eventsNamed(events, "battery-empty").size(), 1u);
    EXPECT_EQ(levels(events).back(), 0);
    EXPECT_TRUE(device.waitForEvents(
        [&](const Events&) { return device.leftoverProcesses().empty(); }, kHostBudget));

    // It stays off until it is plugged in, and then boots on the charger.
    EXPECT_FALSE(device.boot({"--rate", "10"}));
    EXPECT_NE(device.lastOutput().find("battery is empty"), std::string::npos)
        << device.lastOutput();
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--plug"}));
    ASSERT_TRUE(device.boot({"--rate", "10"})) << device.lastOutput();
    status = device.status();
    EXPECT_LT(status["battery"]["level"].get<int>(), 10) << status.dump();
    EXPECT_EQ(status["battery"]["state"], "charging") << status.dump();
    ASSERT_TRUE(device.shutdown()) << device.lastOutput();
    EXPECT_TRUE(device.leftoverProcesses().empty());
}

}  // namespace
