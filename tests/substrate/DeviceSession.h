// One simulated device in a temporary folder, driven through simctl, for the extension's
// end-to-end tests. Whatever happens in a test, the device is shut down, any of its processes
// still alive is killed and the folder removed when the session ends.
#pragma once

#include <sys/types.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace e2e {

using Json = nlohmann::json;

struct CommandResult {
    int status = -1;  // exit status, or -1 when the program did not end normally
    std::string output;
};

class DeviceSession {
  public:
    explicit DeviceSession(const std::string& version);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    const std::string& root() const { return root_; }

    // Copies the built extension and its filter into the root's extensions folder.
    void installExtension() const;
    // Boots with device time running `rate` times real time and no idle sleep; false when
    // simctl reports a failure (its output is in `lastOutput()`).
    bool boot(double rate);
    bool shutdown();

    CommandResult simctl(const std::vector<std::string>& arguments);
    const std::string& lastOutput() const { return lastOutput_; }
    // `simctl status` as JSON (null when it fails).
    Json status();

    // The event log, one object a line; a line being written is left out.
    std::vector<Json> events() const;
    // Polls the event log until `condition` holds or `hostSeconds` of real time have passed.
    bool waitForEvents(const std::function<bool(const std::vector<Json>&)>& condition,
                       double hostSeconds) const;

    // Ids of every device process the event log says was started (SpringBoard, jobs, spawns)
    // and simd's, so a test can check that none is left.
    std::vector<pid_t> startedProcesses() const;
    // Those of them still running on this device.
    std::vector<pid_t> leftoverProcesses() const;

  private:
    bool ownsProcess(pid_t pid) const;
    void killLeftovers() const;

    std::string folder_;
    std::string root_;
    bool booted_ = false;
    std::vector<pid_t> simdPids_;
    std::string lastOutput_;
};

// True while a process with this id exists and is no zombie.
bool processAlive(pid_t pid);

}  // namespace e2e
