// The process service: the process's clock and waiting, its name and its log.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

class ProcessService {
  public:
    virtual ~ProcessService() = default;
    // Device time, seconds since the reference date (2001-01-01 00:00:00 UTC): the wall clock,
    // which jumps when it is set (as the network does).
    virtual double now() = 0;
    // Elapsed device time in seconds, what timers count: it runs with the wall clock, through
    // sleep too, but a set of the wall clock does not move it.
    virtual double elapsed() = 0;
    // The device's time zone, a name of the tz database ("Europe/Berlin"), as it is now.
    virtual std::string timeZoneName() = 0;
    // Blocks until one of `fds` is readable or the elapsed time reaches `until` (no limit when
    // empty). Returns the readable descriptors, possibly none.
    virtual std::vector<int> wait(const std::vector<int>& fds, std::optional<double> until) = 0;
    virtual std::string name() = 0;
    // One line of the process's log (NSLog).
    virtual void log(const std::string& line) = 0;
};

}  // namespace platform
