// The battery on a booted 3.1.3 device with short rates: it drains, SpringBoard warns of it,
// the charger wakes the sleeping device, and an empty battery switches the device off and
// keeps it off until it is plugged in.
#include <gtest/gtest.h>
#include <wire/events/All.h>

#include "SimE2E.h"

namespace {

using e2e::DeviceSession;
using e2e::eventsNamed;
using namespace sim_e2e;

// The level of each battery-level event, in log order.
std::vector<int> levels(const Events& events) {
    std::vector<int> out;
    for (const Json& e : eventsNamed<wire::events::BatteryLevel>(events))
        out.push_back(e.value("level", -1));
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

TEST_F(BatteryOnDevice, DrainsWarnsWakesOnThePlugAndSwitchesOffWhenEmpty) {
    // At 10 times real time, never sleeping on its own (the screen stays lit): a percent every
    // twenty device seconds, two real seconds.
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--level", "21.5", "--drain-lit", "180",
                          "--drain-asleep", "180"}));
    ASSERT_TRUE(device.boot({"--rate", "10", "--idle-sleep", "0"})) << device.lastOutput();
    // SpringBoard hears of the level through IOKit's power sources, as any program does.
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed<wire::events::AlertShown>(e).empty(); },
        kHostBudget))
        << "no low-battery alert";
    Events events = device.events();
    ASSERT_FALSE(levels(events).empty());
    EXPECT_EQ(levels(events).front(), 21);
    EXPECT_EQ(eventsNamed<wire::events::AlertShown>(events)[0]["body"],
              "Low Battery\n20% of battery remaining");
    Json status = device.status();
    EXPECT_EQ(status["battery"]["state"], "unplugged") << status.dump();
    EXPECT_LE(status["battery"]["level"].get<int>(), 20) << status.dump();
    const Json slept = Json::parse(device.simctl({"sleep", device.root()}).output, nullptr, false);
    ASSERT_EQ(slept["result"], "asleep") << slept.dump();

    // The charger wakes the sleeping device; it charges.
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--plug"}));
    events = device.events();
    const Events wakes = eventsNamed<wire::events::Wake>(events);
    ASSERT_EQ(wakes.size(), 1u);
    EXPECT_EQ(wakes[0]["reason"], "power-source");
    const Events sources = eventsNamed<wire::events::PowerSource>(events);
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_EQ(sources[0]["state"], "charging");
    EXPECT_EQ(device.status()["battery"]["state"], "charging");

    // Off the charger with half a percent left, the lit screen soon empties it: the device ends
    // every process as at shutdown.
    ASSERT_TRUE(simctlOk({"battery", device.root(), "--unplug", "--level", "0.5"}));
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed<wire::events::ShutdownComplete>(e).empty(); },
        kHostBudget))
        << "an empty battery did not switch the device off";
    events = device.events();
    EXPECT_EQ(eventsNamed<wire::events::BatteryEmpty>(events).size(), 1u);
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
