// The battery service: the phone's battery and power source as its power manager knows them.
// A change is posted as the Darwin notification kPowerSourcesChanged (through the notify
// service), which IOKit's power-source source and UIDevice listen for, as on the phone.
#pragma once

namespace platform {

inline constexpr const char* kPowerSourcesChanged = "com.apple.system.powersources";

class BatteryService {
  public:
    struct Battery {
        bool known = false;     // false: the device reports no battery
        int level = 0;          // percent, 0 to 100
        bool plugged = false;   // on the charger
        bool charging = false;  // plugged and taking charge (a full battery is not)
    };

    virtual ~BatteryService() = default;
    virtual Battery battery() = 0;
};

}  // namespace platform
