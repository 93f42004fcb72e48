#include "DeviceBattery.h"

namespace platform::device {

DeviceBattery& DeviceBattery::instance() {
    static DeviceBattery* battery = new DeviceBattery;  // never destroyed, as the links
    return *battery;
}

}  // namespace platform::device
