// Local notifications: booking, firing on the device clock, minute repeats, cancelling and
// keeping them across SpringBoard restarts.
#include <base/PlistFile.h>
#include <wire/DeviceTime.h>
#include <wire/messages/Wake.h>

#include <fstream>
#include <functional>

#include "KeepAliveMarker.h"
#include "SpringBoardFixture.h"

namespace {

constexpr const char* kApp = "com.quillmoor.vigilantpro";
constexpr const char* kBody = "keep-alive body";
constexpr const char* kImage = "SomeLaunchImage";

class Notifications : public SpringBoardTest {
  protected:
    Request schedule(double fireDate, uint64_t repeatInterval, const char* app = kApp) {
        return std::move(Request("schedule-notification")
                             .text("app", app)
                             .real("fireDate", since1970(fireDate))
                             .integer("repeatInterval", repeatInterval)
                             .text("body", kBody)
                             .text("launchImage", kImage));
    }
    std::vector<double> firedDates() const {
        std::vector<double> dates;
        for (const auto& e : events.named("notification-fired"))
            dates.push_back(*wire::parseDeviceTime(e.fields.at("fireDate")));
        return dates;
    }
};

TEST_F(Notifications, AOneShotFiresOnceAtItsDateAsAnAlert) {
    ASSERT_TRUE(ok(send(schedule(kStart + 60, 0))));
    runFor(59);
    EXPECT_TRUE(events.named("notification-fired").empty());
    runFor(600);
    EXPECT_EQ(firedDates(), (std::vector<double>{kStart + 60}));

    const auto alerts = arrayFile(files.alerts);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(textAt(*alerts[0], "body"), kBody);
    EXPECT_EQ(textAt(*alerts[0], "launchImage"), kImage);
    EXPECT_EQ(dateAt(*alerts[0], "time"), kStart + 60);
    EXPECT_TRUE(springBoard->notifications().booked().empty());
    EXPECT_TRUE(arrayFile(files.notifications).empty());

    const auto fired = events.named("notification-fired");
    EXPECT_EQ(fired[0].fields.at("app"), kApp);
    EXPECT_EQ(fired[0].fields.at("body"), kBody);
    EXPECT_EQ(fired[0].fields.at("launchImage"), kImage);
}

TEST_F(Notifications, AMinuteRepeatFiresEveryMinuteAndKeepsItsNextDate) {
    ASSERT_TRUE(ok(send(schedule(kStart + 60, 64))));
    runFor(5 * 60 + 30);
    EXPECT_EQ(firedDates(), (std::vector<double>{kStart + 60, kStart + 120, kStart + 180,
                                                 kStart + 240, kStart + 300}));
    EXPECT_EQ(arrayFile(files.alerts).size(), 5u);

    const auto booked = arrayFile(files.notifications);
    ASSERT_EQ(booked.size(), 1u);
    EXPECT_EQ(dateAt(*booked[0], "fireDate"), kStart + 360);
    EXPECT_EQ(textAt(*booked[0], "repeat"), "minute");
}

TEST_F(Notifications, SimctlBooksRelativeToNowAndWithoutALaunchImage) {
    ASSERT_TRUE(ok(send(std::move(Request("notify")
                                      .text("app", kApp)
                                      .real("fireIn", 30)
                                      .text("repeat", "minute")
                                      .text("body", kBody)))));
    runFor(95);
    EXPECT_EQ(firedDates(), (std::vector<double>{kStart + 30, kStart + 90}));
    const auto alerts = arrayFile(files.alerts);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(textAt(*alerts[0], "launchImage"), "<absent>");
    EXPECT_EQ(textAt(*arrayFile(files.notifications)[0], "launchImage"), "<absent>");
}

TEST_F(Notifications, MissedMinutesFireOnceAndTheGridIsKept) {
    ASSERT_TRUE(ok(send(schedule(kStart + 60, 64))));
    backend.process().setAbsoluteTime(kStart + 60 + 10 * 60 +
                                      15);  // the device was asleep for ten minutes
    runFor(1);
    EXPECT_EQ(firedDates(), (std::vector<double>{kStart + 60}));
    EXPECT_EQ(springBoard->notifications().nextFireDate(), kStart + 60 + 11 * 60);
}

TEST_F(Notifications, OutlastARestartOfSpringBoardAndFireWhatCameDueMeanwhile) {
    send(schedule(kStart + 60, 64));
    send(schedule(kStart + 120, 0, "com.example.other"));
    startSpringBoard();
    ASSERT_EQ(springBoard->notifications().booked().size(), 2u);
    EXPECT_TRUE(events.named("notification-fired").empty());

    springBoard.reset();
    backend.process().setAbsoluteTime(kStart + 150);  // both came due while SpringBoard was down
    startSpringBoard();
    EXPECT_EQ(firedDates(), (std::vector<double>{kStart + 60, kStart + 120}));
    runFor(30);
    EXPECT_EQ(firedDates().back(), kStart + 180);
    ASSERT_EQ(springBoard->notifications().booked().size(), 1u);
    EXPECT_EQ(springBoard->notifications().booked()[0].app, kApp);
}

TEST_F(Notifications, CancellingDropsOnlyThatAppsNotifications) {
    send(schedule(kStart + 60, 64));
    send(schedule(kStart + 90, 64));
    send(schedule(kStart + 60, 64, "com.example.other"));
    const auto reply = send(std::move(Request("cancel-notifications").text("app", kApp)));
    EXPECT_TRUE(ok(reply));
    EXPECT_EQ(base::integerAt(reply, "cancelled"), 2);
    runFor(61);
    const auto fired = events.named("notification-fired");
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].fields.at("app"), "com.example.other");
    EXPECT_EQ(events.named("notifications-cancelled").size(), 1u);
    startSpringBoard();
    EXPECT_EQ(springBoard->notifications().booked().size(), 1u);
}

TEST_F(Notifications, TheFileHoldsEachFieldInItsOwnType) {
    send(schedule(kStart + 60, 64));
    send(std::move(Request("schedule-notification")
                       .text("app", kApp)
                       .real("fireDate", since1970(kStart + 61))));
    const auto booked = arrayFile(files.notifications);
    ASSERT_EQ(booked.size(), 2u);
    EXPECT_EQ(textAt(*booked[0], "app"), kApp);
    EXPECT_EQ(dateAt(*booked[0], "fireDate"), kStart + 60);
    EXPECT_EQ(textAt(*booked[0], "repeat"), "minute");
    EXPECT_EQ(textAt(*booked[0], "body"), kBody);
    EXPECT_EQ(textAt(*booked[0], "launchImage"), kImage);
    EXPECT_EQ(textAt(*booked[1], "repeat"), "none");
    EXPECT_EQ(textAt(*booked[1], "body"), "<absent>");
    EXPECT_EQ(textAt(*booked[1], "launchImage"), "<absent>");
    EXPECT_EQ(events.named("notification-booked").size(), 2u);
}

TEST_F(Notifications, BadRequestsBookNothing) {
    const std::vector<Request> bad = {
        std::move(Request("schedule-notification").real("fireDate", since1970(kStart + 60))),
        std::move(Request("schedule-notification").text("app", kApp)),
        std::move(Request("schedule-notification").text("app", kApp).text("fireDate", "soon")),
        schedule(kStart + 60, 16),  // by the day: not kept by this SpringBoard
        std::move(Request("notify").text("app", kApp).real("fireIn", -5)),
        std::move(Request("notify").text("app", kApp)),
        std::move(Request("notify").text("app", kApp).real("fireIn", 5).text("repeat", "hour")),
        std::move(Request("cancel-notifications")),
    };
    for (const Request& r : bad) EXPECT_FALSE(ok(send(r)));
    EXPECT_TRUE(springBoard->notifications().booked().empty());
    EXPECT_FALSE(std::filesystem::exists(files.notifications));
    EXPECT_EQ(logLinesContaining("request ignored"), bad.size());
}

TEST_F(Notifications, ADamagedFileIsKeptAsideAndItsGoodEntriesLoaded) {
    springBoard.reset();
    std::filesystem::create_directories(std::filesystem::path(files.notifications).parent_path());
    { std::ofstream(files.notifications) << "this is not a property list"; }
    startSpringBoard();
    EXPECT_TRUE(springBoard->notifications().booked().empty());
    EXPECT_TRUE(std::filesystem::exists(files.notifications + ".damaged"));
    EXPECT_EQ(logLinesContaining("is damaged"), 1u);

    springBoard.reset();
    {
        std::ofstream(files.notifications) << R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><array>
<dict><key>app</key><string>a.good</string><key>fireDate</key><date>2010-06-21T12:05:00Z</date>
<key>repeat</key><string>minute</string></dict>
<dict><key>app</key><string>a.bad</string></dict>
<string>not a notification</string>
</array></plist>)";
    }
    startSpringBoard();
    ASSERT_EQ(springBoard->notifications().booked().size(), 1u);
    EXPECT_EQ(springBoard->notifications().booked()[0].app, "a.good");
    EXPECT_EQ(springBoard->notifications().booked()[0].fireDate, kStart + 300);
    EXPECT_EQ(logLinesContaining("skipped"), 2u);
}

TEST_F(Notifications, CanBeListed) {
    send(schedule(kStart + 60, 64));
    const auto reply = send(Request("notifications"));
    ASSERT_TRUE(ok(reply));
    const PList::Array* list = base::arrayAt(reply, "notifications");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(base::arraySize(*list), 1u);
}

TEST_F(Notifications, WithoutTheExtensionTheKeepAliveAlertIsShownWithItsBody) {
    send(std::move(Request("notify")
                       .text("app", kApp)
                       .real("fireIn", 60)
                       .text("repeat", "minute")
                       .text("body", kBody)
                       .text("launchImage", kKeepAliveLaunchImage)));
    runFor(61);
    const auto alerts = arrayFile(files.alerts);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(textAt(*alerts[0], "body"), kBody);
    EXPECT_EQ(textAt(*alerts[0], "launchImage"), kKeepAliveLaunchImage);
}

TEST_F(Notifications, OneWakeUpIsBookedForTheEarliestAndFollowsBookingsFiringsAndCancels) {
    const std::vector<std::pair<std::function<void()>, std::vector<double>>> steps = {
        {[&] { send(schedule(kStart + 300.5, 0, "another.app")); }, {kStart + 300}},
        {[&] { send(schedule(kStart + 60, 64)); }, {kStart + 60}},
        {[&] { runFor(61); }, {kStart + 120}},
        {[&] { startSpringBoard(); }, {kStart + 120}},  // the new one takes it over
        {[&] { runFor(60); }, {kStart + 180}},
        {[&] { send(std::move(Request("cancel-notifications").text("app", kApp))); },
         {kStart + 300}},
        {[&] { runFor(200); }, {}},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i].first();
        std::vector<double> wakes;
        for (const auto& entry : backend.wake().autoWakeEntries())
            if (entry.scheduledBy == wire::kSpringBoardWakeIdentifier) wakes.push_back(entry.time);
        EXPECT_EQ(wakes, steps[i].second) << "step " << i;
    }
}

}  // namespace
