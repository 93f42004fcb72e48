// Where SpringBoard's events go: the device's event log (through simd), or a test's list.
#pragma once

#include <plist/plist++.h>
#include <wire/Message.h>
#include <wire/events/SpringBoard.h>

#include <string>

namespace springboard {

class EventSink {
  public:
    virtual ~EventSink() = default;
    // `fields` are the event's own fields (item, route, body...); the log adds time and source.
    virtual void event(const std::string& name, const PList::Dictionary& fields) = 0;
    // One of SpringBoard's events (wire/events/SpringBoard.h).
    template <wire::events::Event E>
    void send(const E& event) {
        static_assert(E::kSource == wire::events::kSpringBoardSource);
        this->event(std::string(E::kEvent), wire::encode(event));
    }
};

}  // namespace springboard
