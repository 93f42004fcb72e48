// An X server without a screen (Xvfb, 1024x768) for the length of a test, and xdotool's real
// pointer events on it. Without Xvfb or xdotool, or when the server does not start, there is
// no display and `failure()` says why; the server is killed when the object goes.
#pragma once

#include <base/Spawn.h>

#include <string>
#include <vector>

namespace display {

class VirtualDisplay {
  public:
    VirtualDisplay();
    bool ready() const { return !name_.empty(); }
    const std::string& name() const { return name_; }  // ":5"
    const std::string& failure() const { return failure_; }

    // xdotool with these arguments on this display: its status and what it printed.
    struct Result {
        int status = -1;
        std::string output;
    };
    Result xdotool(const std::vector<std::string>& arguments) const;
    // The visible window of process `pid`, waited for; empty when none showed in time.
    std::string windowOf(pid_t pid, double hostSeconds) const;
    // A press and release of the left button at (x, y) inside the window.
    bool click(const std::string& window, int x, int y) const;

  private:
    base::ChildProcess server_;
    std::string name_;
    std::string failure_;
};

}  // namespace display
