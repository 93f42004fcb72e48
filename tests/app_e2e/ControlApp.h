// The real control app on a simulated device, started with `simctl launch` and driven through
// its automation socket as a user drives its widgets. Whatever a test does, the app process is
// gone when this object is: asked to quit first, killed if it does not.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include "AutomationClient.h"
#include "DeviceSession.h"

namespace apptest {

using e2e::Json;

class ControlApp {
  public:
    explicit ControlApp(e2e::DeviceSession& device);
    ~ControlApp();
    ControlApp(const ControlApp&) = delete;
    ControlApp& operator=(const ControlApp&) = delete;

    // The X display (":5") the next launch opens its window on; empty: offscreen, no window.
    void showOn(const std::string& display) { display_ = display; }
    // Launches the app and waits until it answers; false with the reason in `failure()`.
    bool launch();
    pid_t pid() const { return pid_; }
    bool running() const;

    // One automation command; the reply line.
    std::string command(const std::string& line);
    // `tap NAME`; true when the app took it.
    bool tap(const std::string& name);
    bool tapRow(const std::string& table, int section, int row);
    bool pick(const std::string& picker, int component, int row);
    // The `state` JSON; null when the app did not give one.
    Json state();
    // Polls `state` until `condition` holds; the last state seen stays in `lastState()`.
    bool waitForState(const std::function<bool(const Json&)>& condition, double hostSeconds);
    const Json& lastState() const { return lastState_; }

    // Asks the app to quit and waits until its process is gone.
    bool quit(double hostSeconds);
    // Ends the app whatever its state: quit if it answers, killed if not.
    void end() { forceEnd(); }
    // What the app wrote on its standard output and error, for failure messages.
    std::string output() const;
    const std::string& failure() const { return failure_; }

  private:
    bool waitUntilGone(double hostSeconds) const;
    void forceEnd();

    e2e::DeviceSession& device_;
    std::string display_;
    std::string socketPath_;
    AutomationClient client_;
    pid_t pid_ = -1;
    Json lastState_;
    std::string failure_;
};

// Helpers over `state`: a named widget's description (null when not on screen), the status-bar
// items, the alerts up.
Json widget(const Json& state, const std::string& name);
bool switchOn(const Json& state, const std::string& name);
std::string labelText(const Json& state, const std::string& name);
// The alerts up, newest last (an empty array when the state has none).
Json alertsUp(const Json& state);
bool statusBarShows(const Json& state, const std::string& item);
// Row counts of each section of a table, e.g. [1, 2]; empty when the table is not shown.
std::vector<int> sections(const Json& state, const std::string& table);

}  // namespace apptest
