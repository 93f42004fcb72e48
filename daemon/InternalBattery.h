// The phone's internal battery as IOKit's power sources describe it, read afresh at each call.
#pragma once

struct InternalBattery {
    bool known = false;      // false: IOKit lists no internal battery
    int percent = 0;         // current capacity as a percentage of the maximum, rounded down
    bool onCharger = false;  // on AC power, charging or full
};

InternalBattery readInternalBattery();
