#include "DeviceBattery.h"

#include <wire/messages/Battery.h>
#include <wire/messages/Notify.h>

#include <algorithm>
#include <string_view>

#include "DeviceLinks.h"

namespace platform::device {

// The platform and simd name the same notification.
static_assert(std::string_view(kPowerSourcesChanged) == wire::kPowerSourcesNotification);

DeviceBattery& DeviceBattery::instance() {
    static DeviceBattery* battery = new DeviceBattery;  // never destroyed, as the links
    return *battery;
}

BatteryService::Battery DeviceBattery::battery() {
    const auto reply = DeviceLinks::instance().simd().request<wire::BatteryReply>(
        wire::BatteryQuery{}, kReplyTimeoutMs);
    if (!reply || !reply->ok) return {};  // simd gone: no battery known
    Battery battery;
    battery.known = true;
    battery.level = static_cast<int>(std::clamp<int64_t>(reply->level, 0, 100));
    battery.plugged = reply->plugged;
    battery.charging = reply->state == "charging";
    return battery;
}

}  // namespace platform::device
