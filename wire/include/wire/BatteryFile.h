// The battery's file in the device, wire::paths::kBattery: a BatteryRecord as a property list.
// A device without one has a full battery off the charger at the default rates.
#pragma once

#include <wire/messages/Battery.h>

#include <string>

namespace wire {

// The battery of the device at `hostRoot`. A file that cannot be read, or holds values out of
// bounds, gives the default battery and `error` says why.
BatteryRecord loadBattery(const std::string& hostRoot, std::string* error = nullptr);
// Writes it atomically: a reader, or a device switched off meanwhile, sees the old or the new.
bool saveBattery(const std::string& hostRoot, const BatteryRecord& battery);

}  // namespace wire
