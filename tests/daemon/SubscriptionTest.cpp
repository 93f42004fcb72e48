// Subscribing and unsubscribing, twice each, with failures of the platform on the way.
#include <gtest/gtest.h>

#include "DaemonTestSupport.h"
#include "PowerController.h"

using namespace daemon_test;

namespace {

class NoDelegate : public PowerControllerDelegate {
  public:
    BOOL respondsToSelector(Selector) const override { return NO; }
};

TEST(PowerSubscription, SecondSubscribeDoesNothing) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    EXPECT_EQ(controller.rootPort(), 0u);  // not subscribed by construction
    EXPECT_EQ(device.countCalls("IORegisterForSystemPower"), 0u);
    controller.registerForPowerNotifications();
    const io_connect_t port = controller.rootPort();
    EXPECT_NE(port, 0u);
    controller.registerForPowerNotifications();
    EXPECT_EQ(controller.rootPort(), port);
    EXPECT_EQ(device.countCalls("IORegisterForSystemPower"), 1u);
    EXPECT_EQ(device.countCalls("CFRunLoopAddSource"), 1u);
    const std::string added = device.callsNamed("CFRunLoopAddSource")[0];
    EXPECT_NE(added.find(", kCFRunLoopCommonModes)"), std::string::npos);
}

TEST(PowerSubscription, UnsubscribeBeforeSubscribingDoesNothing) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    controller.unregisterForPowerNotifications();
    controller.unregisterForPowerNotifications();
    EXPECT_TRUE(device.calls().empty());
}

TEST(PowerSubscription, UnsubscribeRemovesThenEndsThenReleasesInOrder) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    controller.registerForPowerNotifications();
    const io_connect_t port = controller.rootPort();
    device.clearRecords();
    controller.unregisterForPowerNotifications();
    ASSERT_EQ(device.calls().size(), 4u);
    EXPECT_EQ(device.calls()[0].rfind("CFRunLoopRemoveSource(", 0), 0u);
    EXPECT_NE(device.calls()[0].find("kCFRunLoopCommonModes"), std::string::npos);
    EXPECT_EQ(device.calls()[1].rfind("IODeregisterForSystemPower(", 0), 0u);
    EXPECT_EQ(device.calls()[2], "IOServiceClose(" + std::to_string(port) + ")");
    EXPECT_EQ(device.calls()[3], "IONotificationPortDestroy()");
    EXPECT_EQ(controller.rootPort(), 0u);
    controller.unregisterForPowerNotifications();  // twice: nothing more
    EXPECT_EQ(device.calls().size(), 4u);
    EXPECT_FALSE(device.deliverPowerMessage(kIOMessageCanSystemSleep, 1));
}

TEST(PowerSubscription, FailedEndKeepsTheConnectionForALaterTry) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    controller.registerForPowerNotifications();
    const io_connect_t port = controller.rootPort();
    device.failNextPowerDeregistration();
    device.clearRecords();
    controller.unregisterForPowerNotifications();
    EXPECT_EQ(device.countCalls("CFRunLoopRemoveSource"), 1u);
    EXPECT_EQ(device.countCalls("IOServiceClose"), 0u);
    EXPECT_EQ(device.countCalls("IONotificationPortDestroy"), 0u);
    EXPECT_EQ(controller.rootPort(), port);
    controller.unregisterForPowerNotifications();
    EXPECT_EQ(device.countCalls("IODeregisterForSystemPower"), 2u);
    EXPECT_EQ(device.countCalls("IOServiceClose"), 1u);
    EXPECT_EQ(controller.rootPort(), 0u);
}

TEST(PowerSubscription, FailedSubscribeAddsNoSourceAndCanBeTriedAgain) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    device.failNextPowerRegistration();
    controller.registerForPowerNotifications();
    EXPECT_EQ(controller.rootPort(), 0u);
    EXPECT_EQ(device.countCalls("CFRunLoopAddSource"), 0u);
    controller.unregisterForPowerNotifications();  // not subscribed: nothing
    EXPECT_EQ(device.countCalls("CFRunLoopRemoveSource"), 0u);
    controller.registerForPowerNotifications();
    EXPECT_NE(controller.rootPort(), 0u);
    EXPECT_EQ(device.countCalls("IORegisterForSystemPower"), 2u);
}

TEST(PowerSubscription, TeardownUnsubscribes) {
    TestPlatform device;
    NoDelegate delegate;
    {
        PowerController controller(&delegate);
        controller.registerForPowerNotifications();
    }
    EXPECT_EQ(device.countCalls("IODeregisterForSystemPower"), 1u);
    EXPECT_EQ(device.countCalls("IOServiceClose"), 1u);
    EXPECT_FALSE(device.powerRegistered());
}

TEST(PowerSubscription, MessagesArriveOnTheSubscribingThreadsRunLoopInTheDefaultMode) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    controller.registerForPowerNotifications();
    // deliverPowerMessage runs the default mode: the common-modes source is served there.
    EXPECT_TRUE(device.deliverPowerMessage(kIOMessageCanSystemSleep, 3));
    EXPECT_EQ(device.powerAnswers().size(), 1u);
}

}  // namespace
