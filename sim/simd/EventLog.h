// The device's event log, var/log/sim/events.jsonl: one JSON object a line, stamped with the
// device time, the source and the event first. simd is its only writer; other processes send
// their events to simd ("log" requests).
#pragma once

#include <base/ScopedFd.h>
#include <wire/messages/Device.h>

#include <nlohmann/json.hpp>
#include <string>

#include "EventWriter.h"

namespace simd {

class EventLog : public EventWriter {
  public:
    using EventWriter::write;

    EventLog(std::string hostPath, Clock clock);
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Appends {"time", "source", "event", ...fields}; fields named time/source/event are
    // taken from the arguments, not from `fields`.
    void write(const std::string& source, const std::string& event,
               const nlohmann::ordered_json& fields = nlohmann::ordered_json::object()) override;
    // An event another process sent.
    void record(const wire::LogEvent& event);

    static nlohmann::ordered_json line(const std::string& time, const std::string& source,
                                       const std::string& event,
                                       const nlohmann::ordered_json& fields);

  private:
    std::string hostPath_;
    Clock clock_;
    base::ScopedFd fd_;
};

}  // namespace simd
