#include "DeviceActivity.h"

#include <wire/messages/Power.h>

#include "DeviceLinks.h"

namespace platform::device {

DeviceActivity& DeviceActivity::instance() {
    static DeviceActivity* activity = new DeviceActivity;  // never destroyed, as the links
    return *activity;
}

void DeviceActivity::userActivity() {
    // One-way: a touch that cannot reach simd is lost, as it would be on a phone whose power
    // manager is gone.
    DeviceLinks::instance().simd().send(wire::encode(wire::UserActivity{}));
}

}  // namespace platform::device
