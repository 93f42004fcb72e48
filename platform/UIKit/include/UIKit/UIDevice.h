#pragma once

#include <Foundation/Foundation.h>
#include <Foundation/NSNotificationCenter.h>

enum UIDeviceBatteryState : NSInteger {
    UIDeviceBatteryStateUnknown = 0,
    UIDeviceBatteryStateUnplugged = 1,
    UIDeviceBatteryStateCharging = 2,  // plugged in, below full
    UIDeviceBatteryStateFull = 3,      // plugged in, full
};

// Posted on the default notification center, while battery monitoring is enabled, when the
// level or the state changes.
extern const NSString UIDeviceBatteryLevelDidChangeNotification;
extern const NSString UIDeviceBatteryStateDidChangeNotification;

class UIDevice {
  public:
    static UIDevice& currentDevice();
    // The system version, for example "3.1.3"; fetched from the system at every call.
    NSString systemVersion() const;

    // Battery monitoring came with iPhone OS 3.0: on 2.x enabling it does nothing and it stays
    // NO. Off, the level reads -1 and the state unknown.
    BOOL isBatteryMonitoringEnabled() const { return batteryMonitoringEnabled_; }
    void setBatteryMonitoringEnabled(BOOL enabled);
    // 0.0 to 1.0; -1.0 when not monitoring or when the device reports no battery.
    float batteryLevel() const;
    UIDeviceBatteryState batteryState() const;

    // The power manager told of a change: the notifications for what changed since the last.
    void batteryChanged();

  private:
    BOOL batteryMonitoringEnabled_ = NO;
    float lastLevel_ = -1.0f;
    UIDeviceBatteryState lastState_ = UIDeviceBatteryStateUnknown;
};
