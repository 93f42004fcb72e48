// UIDevice's battery: read from the battery service while monitoring is enabled, and told of
// changes by the power manager's Darwin notification, which becomes the two UIKit notifications.
#include <CoreFoundation/CoreFoundation.h>
#include <UIKit/UIDevice.h>
#include <backend/Backend.h>

const NSString UIDeviceBatteryLevelDidChangeNotification =
    "UIDeviceBatteryLevelDidChangeNotification";
const NSString UIDeviceBatteryStateDidChangeNotification =
    "UIDeviceBatteryStateDidChangeNotification";

namespace {
void powerSourcesChanged(CFNotificationCenterRef, void* observer, CFStringRef, const void*,
                         CFDictionaryRef) {
    static_cast<UIDevice*>(observer)->batteryChanged();
}
}  // namespace

void UIDevice::setBatteryMonitoringEnabled(BOOL enabled) {
    if (enabled == batteryMonitoringEnabled_) return;
    if (enabled && systemVersion().starts_with("2")) return;  // not before iPhone OS 3.0
    CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
    if (!enabled) {
        CFNotificationCenterRemoveObserver(center, this, platform::kPowerSourcesChanged, nullptr);
        batteryMonitoringEnabled_ = NO;
        return;
    }
    batteryMonitoringEnabled_ = YES;
    lastLevel_ = batteryLevel();
    lastState_ = batteryState();
    CFNotificationCenterAddObserver(center, this, powerSourcesChanged,
                                    platform::kPowerSourcesChanged, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
}

float UIDevice::batteryLevel() const {
    if (!batteryMonitoringEnabled_) return -1.0f;
    const platform::BatteryService::Battery battery = platform::batteryService().battery();
    return battery.known ? static_cast<float>(battery.level) / 100.0f : -1.0f;
}

UIDeviceBatteryState UIDevice::batteryState() const {
    if (!batteryMonitoringEnabled_) return UIDeviceBatteryStateUnknown;
    const platform::BatteryService::Battery battery = platform::batteryService().battery();
    if (!battery.known) return UIDeviceBatteryStateUnknown;
    if (!battery.plugged) return UIDeviceBatteryStateUnplugged;
    return battery.charging ? UIDeviceBatteryStateCharging : UIDeviceBatteryStateFull;
}

void UIDevice::batteryChanged() {
    if (!batteryMonitoringEnabled_) return;
    const float level = batteryLevel();
    const UIDeviceBatteryState state = batteryState();
    const bool levelChanged = level != lastLevel_;
    const bool stateChanged = state != lastState_;
    lastLevel_ = level;
    lastState_ = state;
    if (stateChanged)
        NSNotificationCenter::defaultCenter().postNotificationName(
            UIDeviceBatteryStateDidChangeNotification);
    if (levelChanged)
        NSNotificationCenter::defaultCenter().postNotificationName(
            UIDeviceBatteryLevelDidChangeNotification);
}
