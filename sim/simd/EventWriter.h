// Where simd's services write their events: the device's event log, or a test's list.
#pragma once

#include <wire/events/Event.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

namespace simd {

// Device time, seconds since the reference date.
using Clock = std::function<double()>;

class EventWriter {
  public:
    virtual ~EventWriter() = default;
    // One event: its source ("powerd", "launchd", "simd"...), its name and its own fields.
    virtual void write(const std::string& source, const std::string& event,
                       const nlohmann::ordered_json& fields = nlohmann::ordered_json::object()) = 0;
    // One event of the log's types (wire/events/), its fields in their declared order.
    template <wire::events::Event E>
    void write(const E& event) {
        write(std::string(E::kSource), std::string(E::kEvent), wire::events::fieldsOf(event));
    }
};

}  // namespace simd
