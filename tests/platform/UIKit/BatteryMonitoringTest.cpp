// UIDevice's battery monitoring: off (and on iPhone OS 2, where it does not exist) the level is
// -1 and the state unknown; on, they follow the battery, and the power manager's change becomes
// the level and state notifications for what changed.
#include <UIKit/UIDevice.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestPlatform.h"

using platform::testing::TestPlatform;

namespace {

struct Heard {
    std::vector<std::string> names;
    std::vector<NSNotificationCenter::Observer> observers;
    Heard() {
        for (const NSString& name :
             {UIDeviceBatteryLevelDidChangeNotification, UIDeviceBatteryStateDidChangeNotification})
            observers.push_back(NSNotificationCenter::defaultCenter().addObserverForName(
                name, [this](const NSString& n) { names.push_back(n); }));
    }
    ~Heard() {
        for (auto observer : observers)
            NSNotificationCenter::defaultCenter().removeObserver(observer);
    }
};

struct MonitoringOff {
    ~MonitoringOff() { UIDevice::currentDevice().setBatteryMonitoringEnabled(NO); }
};

TEST(BatteryMonitoring, OffReadsUnknownAndOnFollowsTheBattery) {
    TestPlatform device;
    MonitoringOff off;
    UIDevice& phone = UIDevice::currentDevice();
    device.battery().set(40, true);
    EXPECT_EQ(phone.batteryLevel(), -1.0f);
    EXPECT_EQ(phone.batteryState(), UIDeviceBatteryStateUnknown);
    phone.setBatteryMonitoringEnabled(YES);
    EXPECT_TRUE(phone.isBatteryMonitoringEnabled());
    EXPECT_FLOAT_EQ(phone.batteryLevel(), 0.4f);
    EXPECT_EQ(phone.batteryState(), UIDeviceBatteryStateCharging);
    device.battery().set(100, true);
    EXPECT_EQ(phone.batteryState(), UIDeviceBatteryStateFull);
    device.battery().setUnknown();
    EXPECT_EQ(phone.batteryLevel(), -1.0f);
    EXPECT_EQ(phone.batteryState(), UIDeviceBatteryStateUnknown);
}

TEST(BatteryMonitoring, DoesNotExistOnIPhoneOS2) {
    TestPlatform device;
    MonitoringOff off;
    device.setSystemVersion("2.2.1");
    device.battery().set(40, false);
    UIDevice::currentDevice().setBatteryMonitoringEnabled(YES);
    EXPECT_FALSE(UIDevice::currentDevice().isBatteryMonitoringEnabled());
    EXPECT_EQ(UIDevice::currentDevice().batteryLevel(), -1.0f);
}

TEST(BatteryMonitoring, TheChangeBecomesTheNotificationsOfWhatChanged) {
    TestPlatform device;
    MonitoringOff off;
    Heard heard;
    device.battery().set(40, false);
    UIDevice::currentDevice().setBatteryMonitoringEnabled(YES);

    device.battery().set(39, false);
    device.battery().postChange();
    device.runOnce();
    EXPECT_EQ(heard.names, std::vector<std::string>{UIDeviceBatteryLevelDidChangeNotification});

    heard.names.clear();
    device.battery().set(39, true);
    device.battery().postChange();
    device.runOnce();
    EXPECT_EQ(heard.names, std::vector<std::string>{UIDeviceBatteryStateDidChangeNotification});

    heard.names.clear();
    UIDevice::currentDevice().setBatteryMonitoringEnabled(NO);
    device.battery().set(60, false);
    EXPECT_EQ(device.battery().postChange(), 0u);  // no longer registered
    device.runOnce();
    EXPECT_TRUE(heard.names.empty());
}

}  // namespace
