// The test backend's process service: a virtual clock that moves only when the test (or
// waiting with nothing to serve) moves it, a name, and a log kept as records.
#pragma once

#include <backend/ProcessService.h>

#include "CallLog.h"

namespace platform::testing {

class TestProcess final : public ProcessService {
  public:
    explicit TestProcess(CallLog& log) : log_(log) {}

    // "YYYY-MM-DD HH:MM:SS" of the device's wall clock (UTC); throws std::invalid_argument for
    // any other text.
    // Both set the wall clock and the elapsed time alike.
    void setTime(const std::string& localTime);
    void setAbsoluteTime(double time) {
        now_ = time;
        wallAhead_ = 0;
    }
    // Sets the wall clock alone, as the network does; timers are not moved.
    void setWallClock(double time) { wallAhead_ = time - now_; }
    void setWallClock(const std::string& utcTime);
    // The clock as "YYYY-MM-DD HH:MM:SS".
    std::string timeText() const;
    // Moves the clock without running anything.
    void moveBy(double seconds) { now_ += seconds; }
    void setName(std::string name) { name_ = std::move(name); }
    // The zone timeZoneName names (UTC until set); the frameworks look it up again only once
    // NSTimeZone resetSystemTimeZone was called.
    void setTimeZone(std::string zone) { zone_ = std::move(zone); }

    double now() override { return now_ + wallAhead_; }
    double elapsed() override { return now_; }
    std::string timeZoneName() override { return zone_; }
    // Ready descriptors come back at once; with none, the clock jumps to `until`.
    std::vector<int> wait(const std::vector<int>& fds, std::optional<double> until) override;
    std::string name() override { return name_; }
    void log(const std::string& line) override { log_.add(LogLine{line}); }

  private:
    CallLog& log_;
    double now_ = 0;        // the elapsed time, which waiting moves
    double wallAhead_ = 0;  // how far the wall clock was set from it
    std::string name_ = "VigilantPro";
    std::string zone_ = "UTC";
};

}  // namespace platform::testing
