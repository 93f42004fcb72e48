// The power manager on a fake host with a clock of the test's own: the order of the answers and
// of the messages that follow them, the give-up of a silent client, a client that leaves in
// the middle of a round, and wake requests, the overdue ones too.
#include <IOKit/IOMessage.h>
#include <gtest/gtest.h>
#include <sim/simd/PowerManager.h>
#include <sim/simd/PowerMessages.h>
#include <wire/WakeList.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using simd::PowerClientId;
using simd::PowerManager;

constexpr double kStart = 300000000;  // device seconds since the reference date
constexpr double kTimeout = 30;       // device seconds a client has to answer

// Everything the manager does to its surroundings, in order, one line each:
// "kIOMessageCanSystemSleep -> 1", "answer 101 allow", "suspend", "wake wake-request"...
class FakeHost : public simd::PowerHost {
  public:
    void sendPowerMessage(PowerClientId client, uint32_t message, long argument) override {
        trail.push_back(simd::powerMessageName(message) + " -> " + std::to_string(client));
        lastArgument[client] = argument;
    }
    void suspendDevice() override { trail.push_back("suspend"); }
    void resumeDevice() override { trail.push_back("resume"); }
    std::optional<wire::WakeRequest> nextWakeRequest(double after) override {
        return wakeList.earliestAfter(after);
    }
    void powerEvent(const std::string& event, nlohmann::ordered_json fields) override {
        if (event == "message") return;  // each delivery is on the trail already
        std::string line = event;
        for (const char* key : {"pid", "answer", "reason", "scheduledby"})
            if (fields.contains(key))
                line += " " + (fields[key].is_string() ? fields[key].get<std::string>()
                                                       : fields[key].dump());
        trail.push_back(line);
    }

    std::vector<std::string> trail;
    std::map<PowerClientId, long> lastArgument;
    wire::WakeList wakeList;
};

class PowerManagerTest : public testing::Test {
  protected:
    PowerManagerTest() : power(host, {0, kTimeout}, kStart) {
        power.addClient(1, 101);
        power.addClient(2, 102);
    }

    // The client answers the last question it was asked.
    void answer(PowerClientId client, bool allow) {
        power.answer(client, host.lastArgument.at(client), allow, now);
    }
    void requestSleep() {
        power.requestSleep(now, [this](PowerManager::SleepOutcome o, const std::vector<int>& by) {
            outcome = o;
            cancelledBy = by;
        });
    }
    std::vector<std::string> trailSince(size_t start) const {
        return {host.trail.begin() + static_cast<long>(start), host.trail.end()};
    }

    FakeHost host;
    PowerManager power;
    double now = kStart;
    std::optional<PowerManager::SleepOutcome> outcome;
    std::vector<int> cancelledBy;
};

struct AnswerCase {
    const char* name;
    std::vector<std::pair<PowerClientId, bool>> answers;  // to each question in turn
    std::vector<std::string> trail;                       // after the two questions went out
    PowerManager::SleepOutcome outcome;
    std::vector<int> cancelledBy;
};

// Every question waits for its last answer; only then does the next message go out, to all.
TEST(PowerManagerRounds, MessagesFollowTheLastAnswerInTheOrderOfTheRound) {
    const std::vector<AnswerCase> cases = {
        {"both allow, the second first",
         {{2, true}, {1, true}, {1, true}, {2, true}},
         {"answer 102 allow", "answer 101 allow", "kIOMessageSystemWillSleep -> 1",
          "kIOMessageSystemWillSleep -> 2", "answer 101 allow", "answer 102 allow", "sleep",
          "suspend"},
         PowerManager::SleepOutcome::Slept,
         {}},
        {"a cancel, then an allow",
         {{1, false}, {2, true}},
         {"answer 101 cancel", "answer 102 allow", "sleep-cancelled",
          "kIOMessageSystemWillNotSleep -> 1", "kIOMessageSystemWillNotSleep -> 2"},
         PowerManager::SleepOutcome::Cancelled,
         {101}},
        {"both cancel",
         {{2, false}, {1, false}},
         {"answer 102 cancel", "answer 101 cancel", "sleep-cancelled",
          "kIOMessageSystemWillNotSleep -> 1", "kIOMessageSystemWillNotSleep -> 2"},
         PowerManager::SleepOutcome::Cancelled,
         {102, 101}},
        {"a cancel of will-sleep is ignored",
         {{1, true}, {2, true}, {2, false}, {1, true}},
         {"answer 101 allow", "answer 102 allow", "kIOMessageSystemWillSleep -> 1",
          "kIOMessageSystemWillSleep -> 2", "answer 102 cancel", "answer 101 allow", "sleep",
          "suspend"},
         PowerManager::SleepOutcome::Slept,
         {}},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        PowerManager power(host, {0, kTimeout}, kStart);
        power.addClient(1, 101);
        power.addClient(2, 102);
        std::optional<PowerManager::SleepOutcome> outcome;
        std::vector<int> by;
        power.requestSleep(kStart, [&](PowerManager::SleepOutcome o, const std::vector<int>& b) {
            outcome = o;
            by = b;
        });
        ASSERT_EQ(host.trail, (std::vector<std::string>{"sleep-attempt request",
                                                        "kIOMessageCanSystemSleep -> 1",
                                                        "kIOMessageCanSystemSleep -> 2"}));
        const size_t asked = host.trail.size();
        for (const auto& [client, allow] : c.answers)
            power.answer(client, host.lastArgument.at(client), allow, kStart + 1);
        EXPECT_EQ(std::vector<std::string>(host.trail.begin() + asked, host.trail.end()), c.trail);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(by, c.cancelledBy);
        EXPECT_EQ(power.asleep(), c.outcome == PowerManager::SleepOutcome::Slept);
    }
}

TEST_F(PowerManagerTest, AnAnswerToAnotherQuestionIsStrayAndTheRoundWaitsOn) {
    requestSleep();
    const long asked = host.lastArgument.at(1);
    power.answer(1, asked + 7, true, now);
    power.answer(2, asked, true, now);
    EXPECT_EQ(trailSince(3),
              (std::vector<std::string>{"stray-answer 101 allow", "answer 102 allow"}));
    EXPECT_EQ(power.nextDeadline(), kStart + kTimeout) << "still waiting for client 1";
}

TEST_F(PowerManagerTest, ASilentClientIsGivenUpAfterThirtyDeviceSecondsAndCountsAsAllowing) {
    requestSleep();
    const long canSleep = host.lastArgument.at(2);
    answer(1, true);
    EXPECT_EQ(power.nextDeadline(), kStart + kTimeout);
    const size_t before = host.trail.size();
    power.advance(kStart + kTimeout - 0.1);
    EXPECT_EQ(host.trail.size(), before) << "not given up before its time";

    power.advance(kStart + kTimeout);
    EXPECT_EQ(trailSince(before),
              (std::vector<std::string>{"no-answer 102", "kIOMessageSystemWillSleep -> 1",
                                        "kIOMessageSystemWillSleep -> 2"}));
    // Its late answer to the first question changes nothing.
    power.answer(2, canSleep, false, kStart + kTimeout + 1);
    EXPECT_EQ(host.trail.back(), "stray-answer 102 cancel");

    now = kStart + kTimeout + 2;
    answer(1, true);
    EXPECT_EQ(power.nextDeadline(), kStart + 2 * kTimeout) << "the second question waits anew";
    power.advance(kStart + 2 * kTimeout);
    EXPECT_EQ(trailSince(host.trail.size() - 3),
              (std::vector<std::string>{"no-answer 102", "sleep", "suspend"}));
    EXPECT_EQ(outcome, PowerManager::SleepOutcome::Slept);
}

TEST_F(PowerManagerTest, AClientThatLeavesMidRoundNeitherHoldsItNorHearsTheRest) {
    requestSleep();
    answer(1, true);
    power.removeClient(2, now);
    EXPECT_EQ(trailSince(3), (std::vector<std::string>{"answer 101 allow", "client-gone 102",
                                                       "kIOMessageSystemWillSleep -> 1"}));
    answer(1, true);
    EXPECT_TRUE(power.asleep());
    EXPECT_EQ(power.clientPids(), std::vector<int>{101});
    // Leaving while waited for does not count as a cancel.
    EXPECT_EQ(outcome, PowerManager::SleepOutcome::Slept);
}

TEST_F(PowerManagerTest, AProbeRoundNamesTheClientThatLeftAsUnanswered) {
    std::optional<simd::PowerRound> round;
    power.probe(kIOMessageCanSystemSleep, now, [&](const simd::PowerRound& r) { round = r; });
    answer(2, false);
    power.removeClient(1, now);
    ASSERT_TRUE(round);
    ASSERT_EQ(round->answers.size(), 2u);
    EXPECT_EQ(round->answers[0].pid, 102);
    EXPECT_FALSE(round->answers[0].allow);
    EXPECT_EQ(round->answers[1].pid, 101);
    EXPECT_FALSE(round->answers[1].answered);
    EXPECT_FALSE(power.asleep()) << "a probe puts nobody to sleep";
}

struct WakeCase {
    const char* name;
    std::optional<double> booked;  // seconds after the attempt began
    bool silentClient;             // client 2 never answers: the attempt takes a minute
    std::optional<double> wakeAt;  // seconds after the attempt began; none: sleeps on
};

// A touch restarts the idle time of an awake device, and only that: a sleeping device stays
// asleep (its screen is dark) and an attempt under way goes on.
TEST(PowerManagerUserActivity, ATouchStartsTheIdleTimeAfreshOnlyWhileAwakeAndIdle) {
    constexpr double kIdle = 120;
    struct Case {
        const char* name;
        bool asleep;
        bool attemptUnderWay;
        std::optional<double> idleDeadlineAfter;  // seconds after the touch at kStart + 50
    };
    const std::vector<Case> cases = {
        {"awake and idle: a fresh idle period", false, false, kIdle},
        {"asleep: stays asleep", true, false, std::nullopt},
        {"asking whether it may sleep: the attempt goes on", false, true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        PowerManager power(host, {kIdle, kTimeout}, kStart);
        power.addClient(1, 101);
        if (c.asleep || c.attemptUnderWay) power.requestSleep(kStart, {});
        if (c.asleep) {
            power.answer(1, host.lastArgument.at(1), true, kStart);
            power.answer(1, host.lastArgument.at(1), true, kStart);
            ASSERT_TRUE(power.asleep());
        }
        const size_t before = host.trail.size();
        power.userActivity(kStart + 50);
        EXPECT_EQ(power.asleep(), c.asleep);
        EXPECT_EQ(host.trail.size(), before) << "a touch sends and logs nothing";
        if (c.idleDeadlineAfter)
            EXPECT_EQ(power.idleDeadline(), kStart + 50 + *c.idleDeadlineAfter);
        else
            EXPECT_EQ(power.idleDeadline(), std::nullopt);
        if (c.attemptUnderWay) {
            power.answer(1, host.lastArgument.at(1), false, kStart + 51);
            EXPECT_EQ(power.idleDeadline(), kStart + 51 + kIdle) << "refused: idle from then";
        }
    }
}

// The screen is lit for one idle period after a touch, and dark after it while a client holds
// the device awake; a plug-in wakes a sleeping device and lights it again.
TEST(PowerManagerScreen, LitAfterATouchDarkWhileHeldAwakeLitAgainByThePlug) {
    constexpr double kIdle = 120;
    FakeHost host;
    PowerManager power(host, {kIdle, kTimeout}, kStart);
    power.addClient(1, 101);
    power.userActivity(kStart + 10);
    EXPECT_TRUE(power.screenLit(kStart + 10 + kIdle - 1));
    power.advance(kStart + 10 + kIdle);  // the idle attempt: the client holds the device awake
    power.answer(1, host.lastArgument.at(1), false, kStart + 10 + kIdle);
    EXPECT_FALSE(power.asleep());
    EXPECT_FALSE(power.screenLit(kStart + 10 + kIdle)) << "held awake, nobody touching";

    const double sleepAt = kStart + 500;
    power.requestSleep(sleepAt, {});
    power.answer(1, host.lastArgument.at(1), true, sleepAt);
    power.answer(1, host.lastArgument.at(1), true, sleepAt);
    ASSERT_TRUE(power.asleep());
    power.powerSourcePlugged(sleepAt + 60);
    EXPECT_FALSE(power.asleep());
    EXPECT_EQ(host.trail.back(), "kIOMessageSystemHasPoweredOn -> 1");
    EXPECT_NE(std::find(host.trail.begin(), host.trail.end(), "wake power-source"),
              host.trail.end());
    EXPECT_TRUE(power.screenLit(sleepAt + 60 + kIdle - 1));
    EXPECT_FALSE(power.screenLit(sleepAt + 60 + kIdle));
}

TEST(PowerManagerWakeRequests, TheDeviceWakesForTheEarliestRequestSinceTheAttemptBegan) {
    const std::vector<WakeCase> cases = {
        {"none booked: sleeps until woken", std::nullopt, false, std::nullopt},
        {"ahead: sleeps until it", 100, false, 100},
        {"ahead of a slow attempt: sleeps until it", 100, true, 100},
        {"came due while a silent client was asked: wakes at once", 10, true, 2 * kTimeout},
        {"due before the attempt began: long past", -10, true, std::nullopt},
    };
    for (const WakeCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        if (c.booked) host.wakeList.add(kStart + *c.booked, "com.quillmoor.vigilantpro");
        PowerManager power(host, {0, kTimeout}, kStart);
        power.addClient(1, 101);
        power.addClient(2, 102);
        power.requestSleep(kStart, {});
        double t = kStart;
        for (int question = 0; question < 2; ++question) {
            power.answer(1, host.lastArgument.at(1), true, t);
            if (c.silentClient) {
                t += kTimeout;
                power.advance(t);
            } else {
                power.answer(2, host.lastArgument.at(2), true, t);
            }
        }
        ASSERT_TRUE(power.asleep() || c.wakeAt == t - kStart);
        // Time runs on, a second at a time, for a day.
        while (power.asleep() && t < kStart + 86400) {
            power.advance(t);
            if (power.asleep()) t += 1;
        }
        if (!c.wakeAt) {
            EXPECT_TRUE(power.asleep());
            EXPECT_FALSE(power.wakeAt());
            continue;
        }
        EXPECT_FALSE(power.asleep());
        EXPECT_EQ(t, kStart + *c.wakeAt);
        const std::vector<std::string> woke = {
            "resume", "wake wake-request com.quillmoor.vigilantpro",
            "kIOMessageSystemHasPoweredOn -> 1", "kIOMessageSystemHasPoweredOn -> 2"};
        EXPECT_EQ(std::vector<std::string>(host.trail.end() - 4, host.trail.end()), woke);
    }
}

TEST(PowerManagerWakeRequests, AnIdleAttemptWaitsOutTheGraceOfAWakeUpBookedAroundIt) {
    // Idle 120 s, grace 10 s: {booked at, attempt at}, seconds after the start.
    for (const auto& [booked, attempt] :
         std::vector<std::pair<double, double>>{{118, 128}, {125, 135}, {109, 120}, {131, 120}}) {
        SCOPED_TRACE(booked);
        FakeHost host;
        host.wakeList.add(kStart + booked, "com.apple.springboard");
        PowerManager power(host, {120, kTimeout, 10}, kStart);
        double t = kStart;
        while (host.trail.empty() && t < kStart + 200) power.advance(++t);
        EXPECT_EQ(t - kStart, attempt);
    }
}

}  // namespace
