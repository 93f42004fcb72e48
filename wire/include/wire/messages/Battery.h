// The device's battery: its record as the device's file keeps it, and the requests that read
// it and set it (simctl battery, the platform's battery interfaces).
#pragma once

#include <wire/Message.h>
#include <wire/messages/Replies.h>

#include <cstdint>
#include <optional>
#include <string>

namespace wire {

// Percent of a full charge per hour of device time, after an iPhone 3GS's published figures:
// standby up to 300 hours, audio (held awake, screen dark) up to 30, internet use (screen lit)
// about 5, and about two hours on the charger, slower above 80 %.
struct BatteryRates {
    WIRE_FIELDS((double, asleep, 100.0 / 300), (double, dark, 100.0 / 30), (double, lit, 100.0 / 5),
                (double, charge, 60),         // on the charger, up to 80 %
                (double, chargeAbove80, 30))  // on the charger, from 80 % to full
};

// The battery as the device keeps it across shutdowns and boots (wire::paths::kBattery).
struct BatteryRecord {
    WIRE_FIELDS((double, level, 100),  // percent, 0 to 100
                (bool, plugged, false), (BatteryRates, rates))
};

// What simctl status shows: the level rounded down, and "unplugged", "charging" or "full".
struct BatteryStatus {
    WIRE_FIELDS((int64_t, level, 0), (std::string, state))
};

// The battery now. Reply: BatteryReply.
struct BatteryQuery : NoFields {
    static constexpr std::string_view kOp = "battery";
};

// Sets what is given, all or nothing (a value out of bounds refuses the whole request).
// Reply: BatteryReply, or Reply refused.
struct SetBattery {
    static constexpr std::string_view kOp = "set-battery";
    WIRE_FIELDS((std::optional<double>, level), (std::optional<bool>, plugged),
                (std::optional<double>, asleep), (std::optional<double>, dark),
                (std::optional<double>, lit), (std::optional<double>, charge),
                (std::optional<double>, chargeAbove80))
};

struct BatteryReply {
    WIRE_FIELDS((bool, ok, false), (int64_t, level, 0),  // rounded down
                (double, exactLevel, 0), (bool, plugged, false),
                (std::string, state),  // "unplugged", "charging", "full"
                (BatteryRates, rates))
};

// The words of a battery's state, and the replies made of a record.
std::string batteryState(const BatteryRecord& battery);
BatteryStatus batteryStatus(const BatteryRecord& battery);
BatteryReply batteryReply(const BatteryRecord& battery);
// Applies `change` to `battery` when every value in it is within bounds; otherwise leaves it
// and says why.
bool applyBatteryChange(const SetBattery& change, BatteryRecord& battery, std::string* error);

}  // namespace wire
