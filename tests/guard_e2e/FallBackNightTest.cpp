// The guard in Europe/Berlin on the night autumn falls back (2027-10-31, 03:00 CEST becomes
// 02:00 CET), with a window of 05:00 to 08:00 booked late the evening before: the wake-up lands
// at 05:00 CET (04:00 UTC), not an hour early; woken there the guard shows its item and refuses
// sleep, and at 08:00 it books the next morning's 05:00 (04:00 UTC again).
#include <gtest/gtest.h>

#include "GuardDevice.h"
#include "GuardExpectations.h"

namespace {

using namespace guard_e2e;

constexpr long long kWindowStart = 300;  // 05:00
constexpr long long kWindowEnd = 480;    // 08:00

class FallBackNight : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installWithWindow(kWindowStart, kWindowEnd)) << device.lastOutput();
        ASSERT_EQ(device.session().simctl({"set-timezone", device.root(), "Europe/Berlin"}).status,
                  0)
            << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    GuardDevice device{"3.1.3"};
};

TEST_F(FallBackNight, WakesAtTheWindowsLocalStartHoldsAndBooksTheNextMorning) {
    // 23:00 CEST; seven device hours to the start pass in under a minute.
    ASSERT_TRUE(device.boot("2027-10-30 21:00:00", 500, 1200)) << device.lastOutput();
    const Json status = device.status();
    ASSERT_TRUE(status.is_object());
    EXPECT_EQ(status.value("timeZone", ""), "Europe/Berlin");
    EXPECT_TRUE(startsWith(status["localTime"], "2027-10-30T23:0")) << status.dump();
    ASSERT_EQ(device.load().status, 0) << device.lastOutput();
    const long long pid = device.waitForDaemon(1);
    ASSERT_GT(pid, 0) << "the daemon never started";

    auto secondBooking = [&](const Events& e) {
        return eventsWith<wire::events::WakeBooked>(e, "pid", pid).size() >= 2;
    };
    ASSERT_TRUE(device.waitFor(secondBooking)) << "the morning was never booked again";

    const Events events = device.events();
    const Events booked = eventsWith<wire::events::WakeBooked>(events, "pid", pid);
    EXPECT_TRUE(startsWith(booked[0]["wakeTime"], "2027-10-31T04:00:")) << booked[0].dump();
    EXPECT_TRUE(startsWith(booked[1]["wakeTime"], "2027-11-01T04:00:")) << booked[1].dump();
    const size_t woke = indexOf<wire::events::Wake>(events);
    ASSERT_LT(woke, events.size()) << "never woke";
    EXPECT_EQ(events[woke].value("reason", ""), "wake-request") << events[woke].dump();
    EXPECT_EQ(events[woke].value("wakeTime", ""), booked[0].value("wakeTime", ""));
    const size_t shown = indexOf<wire::events::StatusBarShow>(events, woke);
    const size_t hidden = indexOf<wire::events::StatusBarHide>(events, woke);
    ASSERT_LT(shown, hidden) << "no item after the wake";
    EXPECT_EQ(events[shown].value("pid", -1LL), pid);
    // The window's three hours end at 08:00 CET, 07:00 UTC. SpringBoard logs the hide a little
    // after the daemon has let go, so the questions in between may already be allowed.
    const long long end = e2e::deviceSeconds("2027-10-31T07:00:00");
    EXPECT_GE(timeOf(events[hidden]), end);
    EXPECT_LT(timeOf(events[hidden]), e2e::deviceSeconds("2027-10-31T07:10:00"));
    const Events night = slice(events, woke, hidden);
    EXPECT_EQ(indexOf<wire::events::Sleep>(night), night.size()) << "slept inside the window";
    const Events questions = sleepQuestionsBefore(night, end);
    EXPECT_FALSE(questions.empty()) << "no sleep question in the window";
    expectAnswered(events, questions, pid, "cancel");
}

}  // namespace
