// Fake surroundings for simd's services: an event log kept in memory and processes that are
// only recorded.
#pragma once

#include <sim/simd/EventWriter.h>
#include <sim/simd/ProcessControl.h>

#include <csignal>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace sim_test {

struct RecordedEvent {
    std::string source;
    std::string event;
    nlohmann::ordered_json fields;
};

class RecordingEvents : public simd::EventWriter {
  public:
    void write(const std::string& source, const std::string& event,
               const nlohmann::ordered_json& fields) override {
        events.push_back({source, event, fields});
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const RecordedEvent& e : events) out.push_back(e.event);
        return out;
    }
    std::vector<RecordedEvent> events;
};

// Starts nothing: each start gets the next pid, each signal is kept.
class FakeProcesses : public simd::ProcessControl {
  public:
    pid_t start(const base::SpawnOptions& options, std::string*) override {
        started.push_back(options);
        return nextPid++;
    }
    void signal(pid_t pid, int sig) override { signals.emplace_back(pid, sig); }

    std::vector<base::SpawnOptions> started;
    std::vector<std::pair<pid_t, int>> signals;
    pid_t nextPid = 4001;
};

}  // namespace sim_test
