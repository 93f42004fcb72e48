// The battery service on the simulated device. The device has no battery yet, so it reports
// none known and never posts a change.
#pragma once

#include <backend/BatteryService.h>

namespace platform::device {

class DeviceBattery final : public BatteryService {
  public:
    static DeviceBattery& instance();

    Battery battery() override { return {}; }
};

}  // namespace platform::device
