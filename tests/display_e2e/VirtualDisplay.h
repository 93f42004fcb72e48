// An X server without a screen (Xvfb, 1024x768) for the length of a test, xdotool's real
// pointer events on it and its framebuffer's pixels. Without Xvfb or xdotool, or when the
// server does not start, there is no display and `failure()` says why; the server is killed
// and its framebuffer's folder removed when the object goes.
#pragma once

#include <base/Spawn.h>

#include <optional>
#include <string>
#include <vector>

#include "Framebuffer.h"
#include "TemporaryFolder.h"

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
    // `notches` turns of the mouse wheel at (x, y) inside the window: towards the user (the
    // content moves up, as a finger pushing a wheel up does) when `down`, else away.
    bool scroll(const std::string& window, int x, int y, bool down, int notches) const;

    // Where the window lies on the screen and how large it is; nothing when xdotool cannot say.
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
    };
    std::optional<Geometry> geometry(const std::string& window) const;
    // The window's pixels as the screen shows them now.
    std::optional<Picture> picture(const std::string& window) const;

  private:
    TemporaryFolder framebufferFolder_{"xvfb"};
    Framebuffer framebuffer_{framebufferFolder_.path() + "/Xvfb_screen0"};
    base::ChildProcess server_;
    std::string name_;
    std::string failure_;
};

}  // namespace display
