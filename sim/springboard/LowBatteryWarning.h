// SpringBoard's low-battery warning: off the charger, when the level comes down to 20 % and
// again to 10 %, it shows the system alert "Low Battery" with the percentage remaining. It
// learns of the battery as any program of the phone does: IOKit's power-source notification,
// then the level from the power sources.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <functional>
#include <optional>
#include <string>

namespace springboard {

class LowBatteryWarning {
  public:
    // Shows an alert's body.
    using Show = std::function<void(const std::string& body)>;
    explicit LowBatteryWarning(Show show) : show_(std::move(show)) {}
    ~LowBatteryWarning();
    LowBatteryWarning(const LowBatteryWarning&) = delete;
    LowBatteryWarning& operator=(const LowBatteryWarning&) = delete;

    // Listens for power-source changes on the current run loop, and takes the battery as it
    // is now (a level already low at boot is not warned of until the next threshold).
    void start();
    // The battery now: warns when the level has come down to a threshold since the last look.
    void batteryIs(int percent, bool onCharger);

    static std::string alertBody(int percent);

  private:
    static void powerSourcesChanged(void* context);
    void lookAtBattery();

    Show show_;
    std::optional<int> lastPercent_;
    CFRunLoopSourceRef source_ = nullptr;  // ours to release
    CFRunLoopRef runLoop_ = nullptr;
};

}  // namespace springboard
