// The device's system version ("3.1.3"), where the phone keeps it: ProductVersion in
// paths::kSystemVersion. simctl writes it when it makes a device; simd, simctl status and the
// device backend read it.
#pragma once

#include <string>

namespace wire {

// The version the device at `hostRoot` runs; empty when its file is missing or names none.
std::string systemVersion(const std::string& hostRoot);
// Writes the device's file for `version` in one step; false when it cannot be written.
bool writeSystemVersion(const std::string& hostRoot, const std::string& version);

}  // namespace wire
