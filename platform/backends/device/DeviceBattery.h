// The battery service on the simulated device: simd's power sources know the battery; each
// read asks them, and simd posts kPowerSourcesChanged when the level or the charger changes.
#pragma once

#include <backend/BatteryService.h>

namespace platform::device {

class DeviceBattery final : public BatteryService {
  public:
    static DeviceBattery& instance();

    Battery battery() override;
};

}  // namespace platform::device
