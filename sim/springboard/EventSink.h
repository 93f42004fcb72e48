// Where SpringBoard's events go: the device's event log (through simd), or a test's list.
#pragma once

#include <plist/plist++.h>

#include <string>

namespace springboard {

class EventSink {
  public:
    virtual ~EventSink() = default;
    // `fields` are the event's own fields (item, route, body...); the log adds time and source.
    virtual void event(const std::string& name, const PList::Dictionary& fields) = 0;
};

}  // namespace springboard
