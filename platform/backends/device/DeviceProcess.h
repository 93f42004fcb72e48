// The process service on the simulated device: the device clock and zone, waiting in host
// time until a device time, and the log that goes to stderr and the device's event log.
#pragma once

#include <backend/ProcessService.h>

namespace platform::device {

class DeviceProcess final : public ProcessService {
  public:
    static DeviceProcess& instance();

    double now() override;
    double elapsed() override;
    std::string timeZoneName() override;
    std::vector<int> wait(const std::vector<int>& fds, std::optional<double> until) override;
    std::string name() override;
    void log(const std::string& line) override;
};

}  // namespace platform::device
