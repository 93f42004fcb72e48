// The wake service: bookings of a system wake-up at a device time (AppSupport rests on it).
#pragma once

#include <string>

namespace platform {

class WakeService {
  public:
    virtual ~WakeService() = default;
    // `date`: device time, seconds since the reference date (2001-01-01 00:00:00).
    virtual bool schedule(double date, const std::string& identifier) = 0;
    virtual bool cancel(double date, const std::string& identifier) = 0;
};

}  // namespace platform
