// Alerts: the two kinds of alert item, and SpringBoard's own activateAlertItem:.
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>
#include <sim/springboard/AlertItem.h>
#include <sim/springboard/AlertsController.h>

#include <fstream>

#include "ReadWhole.h"
#include "SpringBoardFixture.h"

namespace {

using Alerts = SpringBoardTest;
using springboard::AlertItem;
using springboard::AlertsController;

TEST_F(Alerts, OnlyNotificationAlertsAnswerAlertLaunchImage) {
    SEL respondsToSelector = sel_registerName("respondsToSelector:");
    SEL alertLaunchImage = sel_registerName("alertLaunchImage");
    auto notification = AlertItem::notificationAlert("body", "Image");
    auto withoutImage = AlertItem::notificationAlert("body", std::nullopt);
    auto system = AlertItem::systemAlert("body", "Image");

    EXPECT_TRUE(objc_msgSendTyped<BOOL>(notification.get(), respondsToSelector, alertLaunchImage));
    EXPECT_FALSE(objc_msgSendTyped<BOOL>(system.get(), respondsToSelector, alertLaunchImage));
    const std::string* image =
        objc::stringValue(objc_msgSendTyped<id>(notification.get(), alertLaunchImage));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(*image, "Image");
    EXPECT_EQ(objc_msgSendTyped<id>(withoutImage.get(), alertLaunchImage), nullptr);
    EXPECT_STREQ(class_getName(class_getSuperclass(object_getClass(system.get()))), "SBAlertItem");
}

TEST_F(Alerts, ShownAlertsAreAppendedWithTheDeviceTimeAndLogged) {
    ASSERT_TRUE(
        ok(send(std::move(Request("alert").text("body", "first").text("launchImage", "L")))));
    backend.process().moveBy(42);
    ASSERT_TRUE(ok(send(std::move(Request("alert").text("body", "second").flag("plain", true)))));

    const auto alerts = arrayFile(files.alerts);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(textAt(*alerts[0], "body"), "first");
    EXPECT_EQ(textAt(*alerts[0], "launchImage"), "L");
    EXPECT_EQ(dateAt(*alerts[0], "time"), kStart);
    EXPECT_EQ(textAt(*alerts[1], "body"), "second");
    EXPECT_EQ(textAt(*alerts[1], "launchImage"), "<absent>");
    EXPECT_EQ(dateAt(*alerts[1], "time"), kStart + 42);

    const auto shown = events.named("alert-shown");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].fields.at("body"), "first");
    EXPECT_EQ(shown[0].fields.at("launchImage"), "L");
    EXPECT_EQ(shown[1].fields.count("launchImage"), 0u);
}

TEST_F(Alerts, EarlierAlertsSurviveARestart) {
    send(std::move(Request("alert").text("body", "before")));
    startSpringBoard();
    send(std::move(Request("alert").text("body", "after")));
    const auto alerts = arrayFile(files.alerts);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(textAt(*alerts[0], "body"), "before");
}

TEST_F(Alerts, ADamagedListIsSetAsideNotOverwritten) {
    std::filesystem::create_directories(std::filesystem::path(files.alerts).parent_path());
    { std::ofstream(files.alerts) << "<plist><array><dict>"; }
    send(std::move(Request("alert").text("body", "new")));
    EXPECT_EQ(arrayFile(files.alerts).size(), 1u);
    EXPECT_EQ(readWhole(files.alerts + ".damaged"), "<plist><array><dict>");
}

TEST_F(Alerts, TheControllerIgnoresWhatIsNoAlertItem) {
    AlertsController controller(files.alerts, events);
    objc_object stranger(objc::rootObjectClass());
    const SEL activate = sel_registerName("activateAlertItem:");
    objc_msgSendTyped<void>(&controller, activate, static_cast<id>(&stranger));
    objc_msgSendTyped<void>(&controller, activate, static_cast<id>(nullptr));
    EXPECT_TRUE(events.events.empty());
    EXPECT_FALSE(std::filesystem::exists(files.alerts));
    EXPECT_EQ(logLinesContaining("no alert item"), 2u);

    auto item = AlertItem::systemAlert("x", std::nullopt);
    controller.activateAlertItem(*item);
    EXPECT_EQ(events.named("alert-shown").size(), 1u);
}

// The device has no browser: an opened address is logged, and one without an address refused.
TEST_F(Alerts, OpeningAnAddressIsLoggedAndTaken) {
    EXPECT_TRUE(ok(send(std::move(Request("open-url").text("url", "http://example.com/")))));
    const auto opened = events.named("url-opened");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].fields.at("url"), "http://example.com/");
    EXPECT_FALSE(ok(send(Request("open-url"))));
}

}  // namespace

namespace {

// Off the charger the level comes down through 20 % and 10 %: one "Low Battery" alert at each,
// none in between, none on the charger, none for a level already low when SpringBoard started.
TEST_F(Alerts, LowBatteryAlertsAtTwentyAndTenPercentOffTheCharger) {
    const struct {
        int level;
        bool plugged;
    } steps[] = {{15, false}, {21, false}, {20, false}, {19, false},
                 {12, true},  {11, false}, {9, false},  {5, false}};
    startSpringBoard();  // takes the battery as it is: unknown yet
    for (const auto& step : steps) {
        backend.battery().set(step.level, step.plugged);
        backend.battery().postChange();
        runFor(1);
    }
    std::vector<std::string> bodies;
    for (const auto& shown : events.named("alert-shown")) bodies.push_back(shown.fields.at("body"));
    EXPECT_EQ(bodies, (std::vector<std::string>{"Low Battery\n20% of battery remaining",
                                                "Low Battery\n9% of battery remaining"}));
}

}  // namespace
