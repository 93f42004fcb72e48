// The keys and values of a power source's description, and the Darwin notification posted when
// any power source changes, by the names and texts of Apple's IOPSKeys.h.
#pragma once

#define kIOPSNameKey "Name"
#define kIOPSTypeKey "Type"
#define kIOPSInternalBatteryType "InternalBattery"
#define kIOPSIsPresentKey "Is Present"
#define kIOPSCurrentCapacityKey "Current Capacity"  // percent of kIOPSMaxCapacityKey on the phone
#define kIOPSMaxCapacityKey "Max Capacity"
#define kIOPSIsChargingKey "Is Charging"
#define kIOPSPowerSourceStateKey "Power Source State"
#define kIOPSACPowerValue "AC Power"
#define kIOPSBatteryPowerValue "Battery Power"
#define kIOPSOffLineValue "Off Line"

#define kIOPSNotifyAnyPowerSource "com.apple.system.powersources"
