// A fresh device root: the phone's folders, its system version and a copy of the firmware.
#pragma once

#include <string>

namespace simctl {

// "3.1.3", "4.0": digits separated by single dots.
bool validSystemVersion(const std::string& version);
// Lays out the root at `dir` (which must be absent or an empty folder) in time zone `zone` (a
// zone the caller made sure of); a CommandError otherwise. `firmware` is copied in when it
// exists.
void layOutDevice(const std::string& dir, const std::string& version, const std::string& zone,
                  const std::string& firmware);

}  // namespace simctl
