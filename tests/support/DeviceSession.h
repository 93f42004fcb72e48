// One simulated device in a temporary folder, driven through simctl, for the end-to-end tests.
// Whatever happens in a test, the device is shut down, any of its processes still alive is killed
// and the folder removed when the session ends.
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
    // The root lies at `subfolder` (relative, any depth) inside the temporary folder.
    DeviceSession(const std::string& version, const std::string& subfolder);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    const std::string& root() const { return root_; }

    // Copies the built extension and its filter into the root's extensions folder.
    void installExtension() const;
    // `simctl install` of the package the build made; false when it fails.
    bool installPackage();
    // Boots with device time running `rate` times real time and no idle sleep; false when
    // simctl reports a failure (its output is in `lastOutput()`).
    bool boot(double rate);
    // Boots with any of simctl's boot options, e.g. {"--time", "2010-01-01 21:58:00"}.
    bool boot(const std::vector<std::string>& options);
    bool shutdown();

    CommandResult simctl(const std::vector<std::string>& arguments);
    // `simctl spawn ROOT program arguments...`: a program run as a process of the device.
    CommandResult spawn(const std::vector<std::string>& programAndArguments);
    // `simctl defaults write` of one key; type is "-bool", "-int" or "-string".
    bool writeDefault(const std::string& domain, const std::string& key, const std::string& type,
                      const std::string& value);
    // `simctl battery` with these options (level, charger, rates), booted or not.
    bool battery(const std::vector<std::string>& options);
    // A program of the host (one of the project's tools, say) run to its end, its output kept.
    CommandResult runOnHost(const std::vector<std::string>& programAndArguments);
    const std::string& lastOutput() const { return lastOutput_; }
    // `simctl status` as JSON (null when it fails).
    Json status();

    // The event log, one object a line; a line being written is left out.
    std::vector<Json> events() const;
    // Polls the event log until `condition` holds or `hostSeconds` of real time have passed.
    bool waitForEvents(const std::function<bool(const std::vector<Json>&)>& condition,
                       double hostSeconds) const;
    // Polls `simctl status` the same way.
    bool waitForStatus(const std::function<bool(const Json&)>& condition, double hostSeconds);

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
    int watcher_ = -1;  // the pipe to the watcher that ends the device should this process die
};

// True while a process with this id exists and is no zombie.
bool processAlive(pid_t pid);

// The events of one kind ("event" field), in log order.
std::vector<Json> eventsNamed(const std::vector<Json>& events, const std::string& name);

// Device seconds since 1970 of a device time ("YYYY-MM-DDTHH:MM:SS"); -1 when unreadable.
long long deviceSeconds(const Json& time);

}  // namespace e2e
