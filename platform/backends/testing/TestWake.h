// The test backend's wake service: bookings and withdrawals are recorded and, as on the
// phone, edit the system's wake-request list in the device root.
#pragma once

#include <backend/WakeService.h>
#include <wire/DevicePaths.h>

#include <vector>

#include "CallLog.h"
#include "TestFiles.h"

namespace platform::testing {

class TestWake final : public WakeService {
  public:
    static constexpr const char* kAutoWakePath = wire::paths::kAutoWake;

    TestWake(CallLog& log, TestFiles& files) : log_(log), files_(files) {}

    // The list as raw bytes or as entries.
    void writeAutoWakeFile(const std::string& bytes) { files_.writeFile(kAutoWakePath, bytes); }
    void writeAutoWakeEntries(const std::vector<AutoWakeEntry>& entries);
    // The entries of the list as the file now holds them (empty when it is none).
    std::vector<AutoWakeEntry> autoWakeEntries() const;
    // Bookings and withdrawals also edit the list (on by default).
    void setMaintainAutoWakeFile(bool maintain) { maintain_ = maintain; }

    bool schedule(double date, const std::string& identifier) override;
    bool cancel(double date, const std::string& identifier) override;

  private:
    void edit(const AutoWakeEntry& entry, bool add);

    CallLog& log_;
    TestFiles& files_;
    bool maintain_ = true;
};

}  // namespace platform::testing
