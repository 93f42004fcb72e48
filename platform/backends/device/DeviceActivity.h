// The activity service on the simulated device: simd's power manager restarts its idle timer.
#pragma once

#include <backend/ActivityService.h>

namespace platform::device {

class DeviceActivity final : public ActivityService {
  public:
    static DeviceActivity& instance();

    void userActivity() override;
};

}  // namespace platform::device
