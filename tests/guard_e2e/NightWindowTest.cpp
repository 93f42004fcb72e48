// The guard with a schedule of 22:00 to 06:00 on iPhone OS 3.1.3, started in the evening before
// the window opens: it books a wake-up for the window's first minute and lets the device sleep;
// woken by that request it shows its item and refuses sleep through the night; at 06:00 the
// item goes, the next wake-up is booked for 22:00 the same day and the device sleeps again.
// At no moment does the list hold more than one request of the guard, and the requests of
// other identifiers stay as they were.
//
// Two boots, because one clock rate cannot serve both checks: the wake-up is watched at a rate
// slow enough that 10 device seconds are most of a second of real time, the whole night at a
// rate that lets eight device hours pass in about a minute.
#include <gtest/gtest.h>

#include <algorithm>

#include "GuardDevice.h"
#include "GuardExpectations.h"

namespace {

using namespace guard_e2e;
using e2e::eventsNamed;

constexpr long long kWindowStart = 1320;  // 22:00
constexpr long long kWindowEnd = 360;     // 06:00
constexpr char kFirstEvening[] = "2010-01-01T22:00:";
constexpr char kSecondEvening[] = "2010-01-02T22:00:";

// Requests of other identifiers, one past and one far ahead, that the guard must leave be.
constexpr char kOthersWakeList[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<plist version=\"1.0\"><dict><key>wake</key><array>"
    "<dict><key>time</key><date>2009-12-31T08:00:00Z</date>"
    "<key>scheduledby</key><string>com.apple.mobiletimer</string></dict>"
    "<dict><key>time</key><date>2010-01-09T07:30:00Z</date>"
    "<key>scheduledby</key><string>com.apple.alarm</string></dict>"
    "</array></dict></plist>\n";
const Json kOthersListed = Json::array({
    {{"time", "2009-12-31T08:00:00"}, {"scheduledby", "com.apple.mobiletimer"}},
    {{"time", "2010-01-09T07:30:00"}, {"scheduledby", "com.apple.alarm"}},
});

Json othersListed(const Json& status) {
    Json others = Json::array();
    for (const Json& r : status["wakeRequests"])
        if (r.value("scheduledby", "") != kLabel) others.push_back(r);
    return others;
}

class NightWindow : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installWithWindow(kWindowStart, kWindowEnd)) << device.lastOutput();
        device.writeFile(kWakeListFile, kOthersWakeList);
    }
    void TearDown() override { device.finish(); }

    // Boots, loads the guard and checks the evening up to the wake at its request: the booking
    // for the window's first minute at start, the question before it allowed, the sleep until
    // that request. Leaves the daemon's pid and the booked time.
    void startInTheEvening(const std::string& bootTime, double rate, double idleSleep) {
        ASSERT_TRUE(device.boot(bootTime, rate, idleSleep)) << device.lastOutput();
        const e2e::CommandResult load = device.load();
        ASSERT_EQ(load.status, 0) << load.output;
        pid = device.waitForDaemon(1);
        ASSERT_GT(pid, 0) << "the daemon never started";
        ASSERT_TRUE(device.waitFor([](const Events& e) {
            return !eventsNamed<wire::events::Wake>(e).empty();
        })) << "the device never slept and woke";

        const Events events = device.events();
        const Events booked = eventsWith<wire::events::WakeBooked>(events, "pid", pid);
        ASSERT_FALSE(booked.empty());
        EXPECT_EQ(booked[0].value("scheduledby", ""), kLabel);
        EXPECT_TRUE(startsWith(booked[0]["wakeTime"], kFirstEvening)) << booked[0].dump();
        bookedFor = booked[0].value("wakeTime", "");
        // Booked during start-up, before any question: it was not waiting for a tick.
        EXPECT_LT(indexOf<wire::events::WakeBooked>(events),
                  indexOf<wire::events::SleepAttempt>(events));

        const size_t slept = indexOf<wire::events::Sleep>(events);
        ASSERT_LT(slept, events.size());
        EXPECT_EQ(events[slept].value("wakeAt", ""), bookedFor) << events[slept].dump();
        const Events before = sleepQuestions(slice(events, 0, slept));
        ASSERT_FALSE(before.empty());
        expectAnswered(events, before, pid, "allow");
        EXPECT_TRUE(itemChanges(slice(events, 0, slept)).empty()) << "shown outside the window";

        const Json woke = events[indexOf<wire::events::Wake>(events, slept)];
        EXPECT_EQ(woke.value("reason", ""), "wake-request") << woke.dump();
        EXPECT_EQ(woke.value("scheduledby", ""), kLabel) << woke.dump();
        EXPECT_EQ(woke.value("wakeTime", ""), bookedFor) << woke.dump();
    }

    // Nothing but the guard's own requests changed, never more than one of them at once, and
    // the others are still listed as they were.
    void expectOthersLeftAlone(const Events& events) {
        EXPECT_LE(mostOwnRequestsAtOnce(events), 1u);
        for (const Json& change : wakeChanges(events))
            EXPECT_EQ(change.value("scheduledby", ""), kLabel) << change.dump();
        const Json status = device.status();
        ASSERT_TRUE(status.is_object());
        EXPECT_EQ(othersListed(status), kOthersListed) << status["wakeRequests"].dump();
    }

    GuardDevice device{"3.1.3"};
    long long pid = -1;
    std::string bookedFor;
};

TEST_F(NightWindow, WokenAtItsRequestItShowsTheItemWithinTenDeviceSecondsAndRefusesSleep) {
    // 10 device seconds are 1 s of real time; the two minutes to 22:00 pass in 12 s, the first
    // question comes 3 s after the boot.
    ASSERT_NO_FATAL_FAILURE(startInTheEvening("2010-01-01 21:58:00", 10, 30));
    constexpr size_t kRefused = 3;
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        const size_t woke = indexOf<wire::events::Wake>(e);
        return eventsWith<wire::events::Answer>(slice(e, woke, e.size()), "pid", pid).size() >=
               kRefused;
    })) << "too few questions after the wake";

    const Events events = device.events();
    const size_t woke = indexOf<wire::events::Wake>(events);
    const Events after = slice(events, woke, events.size());
    const Events changes = itemChanges(after);
    ASSERT_FALSE(changes.empty()) << "no item after the wake";
    EXPECT_TRUE(wire::events::is<wire::events::StatusBarShow>(changes[0]));
    EXPECT_EQ(changes[0].value("pid", -1LL), pid);
    const long long delay = timeOf(changes[0]) - timeOf(events[woke]);
    EXPECT_GE(delay, 0);
    EXPECT_LE(delay, 10) << "shown " << delay << " device seconds after the wake";
    // Active before the first question of the window, and refusing every one since.
    EXPECT_LT(indexOf<wire::events::StatusBarShow>(after),
              indexOf<wire::events::SleepAttempt>(after));
    const Events questions = sleepQuestions(after);
    EXPECT_GE(questions.size(), kRefused);
    expectAnswered(events, questions, pid, "cancel");
    EXPECT_EQ(indexOf<wire::events::Sleep>(after), after.size()) << "slept inside the window";
    expectNoMissedOrStrayAnswers(events, pid);
    ASSERT_NO_FATAL_FAILURE(expectOthersLeftAlone(events));
    EXPECT_EQ(eventsWith<wire::events::WakeBooked>(events, "pid", pid).size(), 1u)
        << "booked inside";

    // Shown, so SIGTERM hides the item and ends the daemon with status 0.
    ASSERT_EQ(device.unload().status, 0) << device.lastOutput();
    const Json ended = device.waitForEnd(pid);
    ASSERT_TRUE(ended.is_object());
    EXPECT_EQ(ended.value("status", -1), 0) << ended.dump();
}

TEST_F(NightWindow, GuardsTheWholeNightThenBooksTheNextEveningAndLetsTheDeviceSleep) {
    // Eight device hours in about a minute. A sleep attempt every 20 device minutes (2.4 s of
    // real time): the first, at 21:20, comes long after the daemon's start and long before
    // the window.
    constexpr double kRate = 500;
    constexpr double kIdleSleep = 1200;
    ASSERT_NO_FATAL_FAILURE(startInTheEvening("2010-01-01 21:00:00", kRate, kIdleSleep));
    const long long morning = e2e::deviceSeconds("2010-01-02T06:00:00");
    // The hide goes to SpringBoard, the booking to the power manager: their lines may come in
    // either order. The second sleep follows both.
    auto morningSleep = [](const Events& e) {
        const size_t rebooked =
            indexOf<wire::events::WakeBooked>(e, indexOf<wire::events::WakeBooked>(e) + 1);
        return indexOf<wire::events::Sleep>(
            e, std::max(indexOf<wire::events::StatusBarHide>(e), rebooked));
    };
    ASSERT_TRUE(device.waitFor([&](const Events& e) { return morningSleep(e) < e.size(); }))
        << "the item never went, nothing was booked or the device never slept again";

    const Events events = device.events();
    const size_t woke = indexOf<wire::events::Wake>(events);
    const size_t hidden = indexOf<wire::events::StatusBarHide>(events, woke);
    ASSERT_LT(hidden, events.size());
    const size_t sleptAgain = morningSleep(events);
    ASSERT_LT(sleptAgain, events.size());

    // The night: shown once, every question refused with its own argument, no sleep.
    const Events night = slice(events, woke, hidden);
    const Events shows = eventsNamed<wire::events::StatusBarShow>(itemChanges(night));
    ASSERT_EQ(shows.size(), 1u) << Json(itemChanges(night)).dump();
    EXPECT_EQ(shows[0].value("pid", -1LL), pid);
    EXPECT_LT(indexOf<wire::events::StatusBarShow>(night),
              indexOf<wire::events::SleepAttempt>(night));
    EXPECT_EQ(indexOf<wire::events::Sleep>(night), night.size()) << "slept inside the window";
    const Events beforeMorning = sleepQuestionsBefore(night, morning);
    // Eight hours of 20-minute idle periods: 24 questions, fewer only if the machine lagged.
    EXPECT_GE(beforeMorning.size(), 12u);
    expectAnswered(events, beforeMorning, pid, "cancel");
    expectNoMissedOrStrayAnswers(events, pid);

    // 06:00: the item goes at the first tick of the minute, then the next evening is booked.
    const Json& hide = events[hidden];
    EXPECT_EQ(hide.value("pid", -1LL), pid);
    EXPECT_EQ(hide.value("route", ""), "SpringBoardServices");
    EXPECT_GE(timeOf(hide), morning) << hide.dump();
    EXPECT_LT(timeOf(hide), morning + 3600) << hide.dump();
    const Events booked = eventsWith<wire::events::WakeBooked>(events, "pid", pid);
    ASSERT_EQ(booked.size(), 2u) << Json(booked).dump();
    const Json& rebooked = booked[1];
    EXPECT_GE(timeOf(rebooked), morning) << rebooked.dump();
    EXPECT_LT(timeOf(rebooked), morning + 3600) << rebooked.dump();
    EXPECT_TRUE(startsWith(rebooked["wakeTime"], kSecondEvening)) << rebooked.dump();
    const Events withdrawn = eventsWith<wire::events::WakeWithdrawn>(events, "pid", pid);
    ASSERT_EQ(withdrawn.size(), 1u);
    EXPECT_EQ(withdrawn[0].value("wakeTime", ""), bookedFor);
    EXPECT_GE(timeOf(withdrawn[0]), morning) << withdrawn[0].dump();
    const size_t secondBooking =
        indexOf<wire::events::WakeBooked>(events, indexOf<wire::events::WakeBooked>(events) + 1);
    EXPECT_LT(indexOf<wire::events::WakeWithdrawn>(events), secondBooking);

    // After the hide every question is allowed, and the device sleeps until that request.
    const Events morningAfter = slice(events, hidden, sleptAgain);
    expectAnswered(events, sleepQuestions(morningAfter), pid, "allow");
    EXPECT_EQ(events[sleptAgain].value("wakeAt", ""), rebooked.value("wakeTime", ""));
    ASSERT_NO_FATAL_FAILURE(expectOthersLeftAlone(events));
    const Json status = device.status();
    Json own = Json::array();
    for (const Json& r : status["wakeRequests"])
        if (r.value("scheduledby", "") == kLabel) own.push_back(r);
    ASSERT_EQ(own.size(), 1u) << status["wakeRequests"].dump();
    EXPECT_EQ(own[0].value("time", ""), rebooked.value("wakeTime", ""));
}

}  // namespace
