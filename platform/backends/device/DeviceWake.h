// The wake service on the simulated device: simd keeps the bookings.
#pragma once

#include <backend/WakeService.h>

namespace platform::device {

class DeviceWake final : public WakeService {
  public:
    static DeviceWake& instance();

    bool schedule(double date, const std::string& identifier) override;
    bool cancel(double date, const std::string& identifier) override;
};

}  // namespace platform::device
