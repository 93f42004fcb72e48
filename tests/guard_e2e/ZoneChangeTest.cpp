// The guard waiting for its window in Europe/Berlin (19:00, 22:00 to 06:00 booked for 21:00
// UTC) when the device moves to America/New_York: within a few device seconds the booking is
// withdrawn and made again for 22:00 New York time, 03:00 UTC the next day, and the wake-request
// list holds that one booking of ours. The same when the network sets the clock past the
// evening's start: the booking moves to the next evening.
#include <gtest/gtest.h>

#include <functional>

#include "GuardDevice.h"
#include "GuardExpectations.h"

namespace {

using namespace guard_e2e;

constexpr char kLabel[] = "com.quillmoor.vigilantpro";

class ZoneChange : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installWithWindow(1320, 360)) << device.lastOutput();  // 22:00-06:00
        ASSERT_EQ(device.session().simctl({"set-timezone", device.root(), "Europe/Berlin"}).status,
                  0)
            << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    // Boots at 19:00 in Berlin, with an idle sleep far off so the daemon is awake to hear the
    // change, and starts the guard; its pid once it booked the evening's start, else -1.
    long long guardWaitingForTheEvening() {
        if (!device.boot("2026-12-07 18:00:00", 1, 7200) || device.load().status != 0) return -1;
        const long long pid = device.waitForDaemon(1);
        return pid > 0 && device.waitFor(booked(pid, 1)) ? pid : -1;
    }
    static std::function<bool(const Events&)> booked(long long pid, size_t n) {
        return [pid, n](const Events& e) {
            return eventsWith<wire::events::WakeBooked>(e, "pid", pid).size() >= n;
        };
    }

    GuardDevice device{"3.1.3"};
};

TEST_F(ZoneChange, MovesTheBookingToTheNewZonesWindowStart) {
    const long long pid = guardWaitingForTheEvening();
    ASSERT_GT(pid, 0) << "the guard never booked the evening: " << device.lastOutput();
    const Json first = eventsWith<wire::events::WakeBooked>(device.events(), "pid", pid)[0];
    ASSERT_TRUE(startsWith(first["wakeTime"], "2026-12-07T21:00:")) << first.dump();

    ASSERT_EQ(device.session().simctl({"set-timezone", device.root(), "America/New_York"}).status,
              0)
        << device.lastOutput();
    ASSERT_TRUE(device.waitFor(booked(pid, 2))) << "the booking never moved";

    const Events events = device.events();
    const Json moved = eventsWith<wire::events::WakeBooked>(events, "pid", pid)[1];
    EXPECT_TRUE(startsWith(moved["wakeTime"], "2026-12-08T03:00:")) << moved.dump();
    const size_t changed = indexOf<wire::events::TimezoneChanged>(events);
    ASSERT_LT(changed, events.size());
    EXPECT_LT(timeOf(moved) - timeOf(events[changed]), 10) << moved.dump();
    const Events withdrawn = eventsWith<wire::events::WakeWithdrawn>(events, "pid", pid);
    ASSERT_EQ(withdrawn.size(), 1u);
    EXPECT_EQ(withdrawn[0].value("wakeTime", ""), first.value("wakeTime", ""));

    const Json status = device.status();
    EXPECT_EQ(status.value("timeZone", ""), "America/New_York");
    Json own = Json::array();
    for (const Json& r : status["wakeRequests"])
        if (r.value("scheduledby", "") == kLabel) own.push_back(r);
    ASSERT_EQ(own.size(), 1u) << status["wakeRequests"].dump();
    EXPECT_EQ(own[0].value("time", ""), moved.value("wakeTime", ""));
}

TEST_F(ZoneChange, AClockSetPastTheStartMovesTheBookingToTheNextEvening) {
    const long long pid = guardWaitingForTheEvening();
    ASSERT_GT(pid, 0) << "the guard never booked the evening: " << device.lastOutput();

    // 07:00 the next morning in Berlin: the night booked for is over.
    ASSERT_EQ(device.session().simctl({"set-time", device.root(), "2026-12-08 06:00:00"}).status, 0)
        << device.lastOutput();
    ASSERT_TRUE(device.waitFor(booked(pid, 2))) << "the booking never moved";
    const Json moved = eventsWith<wire::events::WakeBooked>(device.events(), "pid", pid)[1];
    EXPECT_TRUE(startsWith(moved["wakeTime"], "2026-12-08T21:00:")) << moved.dump();
}

}  // namespace
