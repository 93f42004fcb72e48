// Subscribing and unsubscribing, twice each, with failures of the platform on the way.
#include <gtest/gtest.h>

#include "DaemonTestSupport.h"
#include "PowerController.h"

using namespace daemon_test;
using namespace platform::testing;
using platform::probe::NotificationPortDestroyed;
using platform::probe::RunLoopSourceAdded;
using platform::probe::RunLoopSourceRemoved;

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
    EXPECT_EQ(device.countCalls<PowerRegistration>(), 0u);
    controller.registerForPowerNotifications();
    const io_connect_t port = controller.rootPort();
    EXPECT_NE(port, 0u);
    controller.registerForPowerNotifications();
    EXPECT_EQ(controller.rootPort(), port);
    EXPECT_EQ(device.countCalls<PowerRegistration>(), 1u);
    EXPECT_EQ(device.countCalls<RunLoopSourceAdded>(), 1u);
    EXPECT_EQ(device.callsOf<RunLoopSourceAdded>()[0].mode, "kCFRunLoopCommonModes");
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
    const auto* removed = std::get_if<RunLoopSourceRemoved>(&device.calls()[0]);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->mode, "kCFRunLoopCommonModes");
    EXPECT_TRUE(std::holds_alternative<PowerDeregistration>(device.calls()[1]));
    EXPECT_EQ(device.calls()[2], Record(PowerClose{port}));
    EXPECT_EQ(device.calls()[3], Record(NotificationPortDestroyed{}));
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
    EXPECT_EQ(device.countCalls<RunLoopSourceRemoved>(), 1u);
    EXPECT_EQ(device.countCalls<PowerClose>(), 0u);
    EXPECT_EQ(device.countCalls<NotificationPortDestroyed>(), 0u);
    EXPECT_EQ(controller.rootPort(), port);
    controller.unregisterForPowerNotifications();
    EXPECT_EQ(device.countCalls<PowerDeregistration>(), 2u);
    EXPECT_EQ(device.countCalls<PowerClose>(), 1u);
    EXPECT_EQ(controller.rootPort(), 0u);
}

TEST(PowerSubscription, FailedSubscribeAddsNoSourceAndCanBeTriedAgain) {
    TestPlatform device;
    NoDelegate delegate;
    PowerController controller(&delegate);
    device.failNextPowerRegistration();
    controller.registerForPowerNotifications();
    EXPECT_EQ(controller.rootPort(), 0u);
    EXPECT_EQ(device.countCalls<RunLoopSourceAdded>(), 0u);
    controller.unregisterForPowerNotifications();  // not subscribed: nothing
    EXPECT_EQ(device.countCalls<RunLoopSourceRemoved>(), 0u);
    controller.registerForPowerNotifications();
    EXPECT_NE(controller.rootPort(), 0u);
    EXPECT_EQ(device.countCalls<PowerRegistration>(), 2u);
}

TEST(PowerSubscription, TeardownUnsubscribes) {
    TestPlatform device;
    NoDelegate delegate;
    {
        PowerController controller(&delegate);
        controller.registerForPowerNotifications();
    }
    EXPECT_EQ(device.countCalls<PowerDeregistration>(), 1u);
    EXPECT_EQ(device.countCalls<PowerClose>(), 1u);
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
