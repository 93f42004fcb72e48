// The test backend's battery: the test sets its level and power source, then posts the change
// as the phone's power manager would; every read is a record.
#pragma once

#include <backend/BatteryService.h>

#include "CallLog.h"
#include "TestNotify.h"

namespace platform::testing {

class TestBattery final : public BatteryService {
  public:
    TestBattery(CallLog& log, TestNotify& notify) : log_(log), notify_(notify) {}

    // A battery at `level` percent (clamped to 0..100), on the charger or not; plugged in below
    // full it charges. Nothing is told until postChange.
    void set(int level, bool plugged);
    void setCharging(bool charging) { battery_.charging = charging; }
    // No battery known, as when the device's power sources cannot be reached.
    void setUnknown() { battery_ = {}; }
    // Posts kPowerSourcesChanged to the process's registrations; the run loop serves them.
    size_t postChange() { return notify_.deliver(kPowerSourcesChanged); }

    Battery battery() override;

  private:
    CallLog& log_;
    TestNotify& notify_;
    Battery battery_;
};

}  // namespace platform::testing
