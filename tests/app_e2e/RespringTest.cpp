// A respring on iOS 4.0 while the guard holds by its keep-alive notification: the new SpringBoard
// loads the extension again, keeps the booking, and hides the keep-alive alerts from its first
// firing on while other alerts are shown; the app, which lives on, reaches the new SpringBoard
// when it is switched off. The guard's item, gone with the old SpringBoard, is put back by the
// extension.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "AppOnDevice.h"
#include "GuardEvents.h"

namespace {

using apptest::Events;
using apptest::eventsWith;
using apptest::Json;
using apptest::kHostBudget;
using apptest::kKeepAliveBody;
using apptest::kKeepAliveLaunchImage;
using apptest::notifications;
using e2e::eventsNamed;

constexpr double kRate = 20;  // a device minute is 3 s of real time
constexpr char kStartingUp[] = "VigilantSubstrate: starting up...";
constexpr char kStarted[] = "VigilantSubstrate: successfully started.";

// The events logged after the respring; none when there was no respring.
Events afterRespring(const Events& events) {
    const auto at = std::find_if(events.begin(), events.end(), [](const Json& e) {
        return wire::events::is<wire::events::Respring>(e);
    });
    return at == events.end() ? Events() : Events(std::next(at), events.end());
}

// The extension's log lines written by the SpringBoard with this pid, in order.
std::vector<std::string> extensionLines(const Events& events, long long springBoard) {
    std::vector<std::string> lines;
    for (const Json& e : eventsWith<wire::events::Log>(events, "pid", springBoard)) {
        const std::string text = e.value("text", "");
        if (text.rfind("VigilantSubstrate:", 0) == 0) lines.push_back(text);
    }
    return lines;
}

class Respring : public apptest::AppOnDevice {
  protected:
    Respring() : AppOnDevice("4.0") {}

    void SetUp() override { installBootAndLaunch(kRate); }
};

TEST_F(Respring, TheNewSpringBoardHidesTheKeepAliveAlertsAgainAndTheAppReachesIt) {
    ASSERT_TRUE(app.tap("preventSleepSwitch"));
    ASSERT_TRUE(device.waitForEvents(
        [](const Events& e) { return !eventsNamed<wire::events::NotificationFired>(e).empty(); },
        kHostBudget + 60 / kRate))
        << "the keep-alive notification never fired";

    const e2e::CommandResult respring = device.simctl({"respring", device.root()});
    ASSERT_EQ(respring.status, 0) << respring.output;
    const Events restarts = eventsNamed<wire::events::Respring>(device.events());
    ASSERT_EQ(restarts.size(), 1u) << "no respring in the log";
    const long long newSpringBoard = restarts[0].value("new", -1LL);
    ASSERT_GT(newSpringBoard, 0) << restarts[0].dump();

    // The extension starts again in the new SpringBoard, and the booking fires on from there.
    ASSERT_TRUE(device.waitForEvents(
        [&](const Events& e) {
            return extensionLines(e, newSpringBoard).size() == 2 &&
                   eventsNamed<wire::events::NotificationFired>(afterRespring(e)).size() >= 2 &&
                   !eventsWith<wire::events::StatusBarShow>(afterRespring(e), "item",
                                                            apptest::kItem)
                        .empty();
        },
        kHostBudget + 120 / kRate))
        << "no extension start, too few firings or no item after the respring";
    ASSERT_EQ(device.simctl({"alert", device.root(), "--body", "an app's alert"}).status, 0)
        << device.lastOutput();
    ASSERT_NO_FATAL_FAILURE(flushSpringBoard("a system alert after the respring"));
    const Events events = device.events();
    EXPECT_EQ(extensionLines(events, newSpringBoard),
              (std::vector<std::string>{kStartingUp, kStarted}));
    for (const Json& fired : eventsNamed<wire::events::NotificationFired>(afterRespring(events)))
        EXPECT_EQ(fired.value("launchImage", ""), kKeepAliveLaunchImage) << fired.dump();
    EXPECT_TRUE(eventsWith<wire::events::AlertShown>(events, "body", kKeepAliveBody).empty())
        << "a keep-alive alert reached the screen";
    EXPECT_EQ(eventsWith<wire::events::AlertShown>(afterRespring(events), "body", "an app's alert")
                  .size(),
              1u);
    const Events restored =
        eventsWith<wire::events::StatusBarShow>(afterRespring(events), "item", apptest::kItem);
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].value("route", ""), "libstatusbar");
    EXPECT_EQ(restored[0].value("pid", -1LL), newSpringBoard) << "not the extension's";
    const Json kept = notifications(device.status());
    ASSERT_EQ(kept.size(), 1u) << kept.dump();
    EXPECT_EQ(kept[0].value("launchImage", ""), kKeepAliveLaunchImage);
    EXPECT_EQ(kept[0].value("repeat", ""), "minute");

    // The app was not restarted; its cancellation reaches the new SpringBoard.
    ASSERT_TRUE(app.running());
    ASSERT_TRUE(app.tap("preventSleepSwitch"));
    ASSERT_TRUE(device.waitForStatus(
        [](const Json& s) { return notifications(s).is_array() && notifications(s).empty(); },
        kHostBudget))
        << device.lastOutput();
    const Events cancelled =
        eventsNamed<wire::events::NotificationsCancelled>(afterRespring(device.events()));
    ASSERT_EQ(cancelled.size(), 1u);
    EXPECT_EQ(cancelled[0].value("count", -1), 1) << cancelled[0].dump();
}

}  // namespace
