// `simctl respring` on a booted device: the booked local notifications outlive the old
// SpringBoard and the new one fires each at its date, once; a sleeping device refuses it and
// keeps its SpringBoard. A SpringBoard that is killed comes back, as launchd brings it back,
// at most once every 10 device seconds.
#include <gtest/gtest.h>
#include <signal.h>
#include <wire/events/All.h>

#include <algorithm>
#include <iterator>

#include "LogLines.h"
#include "SimE2E.h"

namespace {

using namespace sim_e2e;
using e2e::eventsNamed;

constexpr double kRate = 20;  // a device minute is 3 s of real time

// The events of one kind logged after the respring, whose "body" is `body`.
Events afterRespring(const Events& events, const std::string& name, const std::string& body) {
    const auto at = std::find_if(events.begin(), events.end(), [](const Json& e) {
        return wire::events::is<wire::events::Respring>(e);
    });
    Events found;
    if (at == events.end()) return found;
    for (const Json& e : eventsNamed(Events(std::next(at), events.end()), name))
        if (e.value("body", "") == body) found.push_back(e);
    return found;
}

class RespringOnDevice : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(device.boot(kRate)) << device.lastOutput(); }
    void TearDown() override {
        device.shutdown();
        EXPECT_TRUE(device.leftoverProcesses().empty()) << "device processes left behind";
    }

    int notify(const std::string& body, const std::string& fireIn, bool everyMinute) {
        std::vector<std::string> args{
            "notify", device.root(),    "--app",           "com.example.a", "--body",
            body,     "--launch-image", "Default-" + body, "--fire-in",     fireIn};
        if (everyMinute) args.insert(args.end(), {"--repeat", "minute"});
        return device.simctl(args).status;
    }

    e2e::DeviceSession device{"3.1.3"};
};

TEST_F(RespringOnDevice, BookedNotificationsAreKeptAndFireOnceFromTheNewSpringBoard) {
    ASSERT_EQ(notify("once", "120", false), 0) << device.lastOutput();
    ASSERT_EQ(notify("minutely", "150", true), 0) << device.lastOutput();
    const Json booked = device.status()["notifications"];
    ASSERT_EQ(booked.size(), 2u) << booked.dump();

    ASSERT_EQ(device.simctl({"respring", device.root()}).status, 0) << device.lastOutput();
    const Json kept = device.status();
    ASSERT_EQ(eventsNamed<wire::events::Respring>(device.events()).size(), 1u);
    EXPECT_EQ(kept["notifications"], booked) << "the bookings changed across the respring";
    EXPECT_TRUE(eventsNamed<wire::events::NotificationFired>(device.events()).empty())
        << "fired early";

    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) {
            return !afterRespring(e, "alert-shown", "once").empty() &&
                   !afterRespring(e, "alert-shown", "minutely").empty();
        },
        kHostBudget + 150 / kRate))
        << "a booking did not fire after the respring";
    const Events events = device.events();
    const Events once = afterRespring(events, "notification-fired", "once");
    ASSERT_EQ(once.size(), 1u);
    EXPECT_EQ(once[0]["fireDate"], booked[0]["fireDate"]) << once[0].dump();
    EXPECT_EQ(once[0].value("launchImage", ""), "Default-once");
    EXPECT_EQ(eventsNamed<wire::events::NotificationFired>(events).size(),
              afterRespring(events, "notification-fired", "once").size() +
                  afterRespring(events, "notification-fired", "minutely").size())
        << "something fired before the respring";
    const Json left = device.status()["notifications"];
    ASSERT_EQ(left.size(), 1u) << left.dump();
    EXPECT_EQ(left[0].value("body", ""), "minutely");
    EXPECT_EQ(left[0].value("repeat", ""), "minute");
}

TEST_F(RespringOnDevice, ASleepingDeviceRefusesItAndKeepsItsSpringBoard) {
    const long long springBoard = device.status().value("springBoardPid", -1LL);
    ASSERT_GT(springBoard, 0);
    ASSERT_EQ(device.simctl({"sleep", device.root()}).status, 0) << device.lastOutput();
    const e2e::CommandResult refused = device.simctl({"respring", device.root()});
    EXPECT_EQ(refused.status, 1) << refused.output;
    EXPECT_NE(refused.output.find("asleep"), std::string::npos) << refused.output;
    ASSERT_EQ(device.simctl({"wake", device.root()}).status, 0) << device.lastOutput();
    EXPECT_EQ(device.status().value("springBoardPid", -1LL), springBoard);
    EXPECT_TRUE(eventsNamed<wire::events::Respring>(device.events()).empty());
}

TEST_F(RespringOnDevice, AKilledSpringBoardComesBackAtMostOnceEveryTenDeviceSeconds) {
    ASSERT_EQ(notify("minutely", "60", true), 0) << device.lastOutput();
    long long springBoard = device.status().value("springBoardPid", -1LL);
    for (size_t kills = 1; kills <= 2; ++kills) {  // the second at once after its start
        ASSERT_EQ(::kill(static_cast<pid_t>(springBoard), SIGKILL), 0);
        ASSERT_TRUE(device.waitForEvents(
            [&](const Events& e) {
                return eventsNamed<wire::events::SpringBoardRestarted>(e).size() == kills;
            },
            kHostBudget));
        const Json restart =
            eventsNamed<wire::events::SpringBoardRestarted>(device.events()).back();
        EXPECT_EQ(restart.value("old", -1LL), springBoard);
        springBoard = restart.value("new", -1LL);
    }
    const Events restarts = eventsNamed<wire::events::SpringBoardRestarted>(device.events());
    EXPECT_GE(e2e::deviceSeconds(restarts[1]["time"]) - e2e::deviceSeconds(restarts[0]["time"]), 9);
    EXPECT_EQ(device.status().value("springBoardPid", -1LL), springBoard);
    ASSERT_TRUE(device.waitForEvents(  // and it serves: the booking fires from there
        [](const Events& e) {
            return !e2e::eventsWith<wire::events::AlertShown>(e, "body", "minutely").empty();
        },
        kHostBudget + 60 / kRate));
}

}  // namespace
