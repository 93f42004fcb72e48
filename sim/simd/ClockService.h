// The device's clock and zone as they are changed while it runs: the owner or the network
// sets the wall clock (set-time) or moves the device to another zone (set-timezone). Each
// change is logged and then passed on to whoever must follow it.
#pragma once

#include <wire/DeviceClock.h>
#include <wire/messages/Clock.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "EventWriter.h"
#include "Server.h"

namespace simd {

class ClockService {
  public:
    // `clock` is the device's, which every service of simd reads; it is changed in place.
    ClockService(std::string hostRoot, wire::DeviceClock& clock, EventWriter& log);

    // Runs after the wall clock jumped by `jump` device seconds (new minus old).
    void onClockSet(std::function<void(double jump)> set) { clockSet_.push_back(std::move(set)); }
    // Runs after the device moved to another zone.
    void onZoneChanged(std::function<void()> changed) {
        zoneChanged_.push_back(std::move(changed));
    }

    // Requests.
    void setTime(const Caller& caller, const wire::SetTime& request);
    void setTimeZone(const Caller& caller, const wire::SetTimeZone& request);

  private:
    std::string root_;
    wire::DeviceClock& clock_;
    EventWriter& log_;
    std::vector<std::function<void(double)>> clockSet_;
    std::vector<std::function<void()>> zoneChanged_;
};

}  // namespace simd
