#include "TestBattery.h"

#include <algorithm>

namespace platform::testing {

void TestBattery::set(int level, bool plugged) {
    battery_.known = true;
    battery_.level = std::clamp(level, 0, 100);
    battery_.plugged = plugged;
    battery_.charging = plugged && battery_.level < 100;
}

BatteryService::Battery TestBattery::battery() {
    log_.add(BatteryRead{});
    return battery_;
}

}  // namespace platform::testing
