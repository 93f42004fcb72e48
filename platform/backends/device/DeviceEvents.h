// For the simulator's own device programs (SpringBoard): an event for the device's log,
// {"source": source, "event": event, ...fields}, stamped with the device time by simd.
#pragma once

#include <plist/plist++.h>

#include <string>

namespace platform::device {

// False when simd could not be reached. Ends the process (status 69) outside a device, like
// every other platform call.
bool sendDeviceEvent(const std::string& source, const std::string& event,
                     const PList::Dictionary& fields);

}  // namespace platform::device
