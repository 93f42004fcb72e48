#include <wire/DeviceLimits.h>
#include <wire/messages/Battery.h>

#include <cmath>

namespace wire {

std::string batteryState(const BatteryRecord& battery) {
    if (!battery.plugged) return "unplugged";
    return battery.level >= 100 ? "full" : "charging";
}

BatteryStatus batteryStatus(const BatteryRecord& battery) {
    return {static_cast<int64_t>(std::floor(battery.level)), batteryState(battery)};
}

BatteryReply batteryReply(const BatteryRecord& battery) {
    return {true,
            static_cast<int64_t>(std::floor(battery.level)),
            battery.level,
            battery.plugged,
            batteryState(battery),
            battery.rates};
}

bool applyBatteryChange(const SetBattery& change, BatteryRecord& battery, std::string* error) {
    auto refuse = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (change.level && !limits::batteryLevelAccepted(*change.level))
        return refuse("the level must be a percentage from 0 to 100");
    BatteryRecord next = battery;
    BatteryRates& rates = next.rates;
    for (auto [given, rate] :
         {std::pair{&change.asleep, &rates.asleep}, std::pair{&change.dark, &rates.dark},
          std::pair{&change.lit, &rates.lit}, std::pair{&change.charge, &rates.charge},
          std::pair{&change.chargeAbove80, &rates.chargeAbove80}}) {
        if (!*given) continue;
        if (!limits::batteryRateAccepted(**given))
            return refuse("a battery rate must be a number of percent an hour from " +
                          limits::batteryRateBounds());
        *rate = **given;
    }
    if (change.level) next.level = *change.level;
    if (change.plugged) next.plugged = *change.plugged;
    battery = next;
    return true;
}

}  // namespace wire
