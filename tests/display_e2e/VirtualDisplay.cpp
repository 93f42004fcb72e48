#include "VirtualDisplay.h"

#include <base/ScopedFd.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <utility>

namespace display {

namespace {

// What `fd` holds until its writers close it (or, `toNewline`, until a whole line came) or
// `milliseconds` pass.
std::string readFrom(int fd, int milliseconds, bool toNewline) {
    std::string text;
    char buffer[512];
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (toNewline && text.find('\n') != std::string::npos) break;
    }
    return text;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
    auto ready = base::Pipe::create(0);  // the server's end must survive exec
    if (!ready) {
        failure_ = "no pipe for Xvfb";
        return;
    }
    base::SpawnOptions options;
    options.program = "Xvfb";
    options.argv = {
        "Xvfb",        "-displayfd", std::to_string(ready->write.get()), "-screen",   "0",
        "1024x768x24", "-fbdir",     framebufferFolder_.path(),          "-nolisten", "tcp"};
    options.nullInput = true;
    options.outputPath = "/dev/null";
    options.inheritedFds = {ready->write.get()};
    std::string error;
    const pid_t pid = base::spawn(options, &error);
    if (pid <= 0) {
        failure_ = "Xvfb cannot be started (Debian's xvfb): " + error;
        return;
    }
    server_ = base::ChildProcess(pid);
    ready->write.reset();
    // Xvfb writes its display number and a newline once it takes connections.
    std::string number = readFrom(ready->read.get(), 20000, true);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
    if (number.empty()) {
        failure_ = "Xvfb did not start a display";
        return;
    }
    name_ = ":" + number;
    const Result probe = xdotool({"getmouselocation"});
    if (probe.status != 0) {
        failure_ = "xdotool cannot be run on " + name_ + " (Debian's xdotool): " + probe.output;
        name_.clear();
    }
}

VirtualDisplay::Result VirtualDisplay::xdotool(const std::vector<std::string>& arguments) const {
    Result result;
    auto out = base::Pipe::create();
    if (!out) return result;
    base::SpawnOptions options;
    options.program = "xdotool";
    options.argv = {"xdotool"};
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.environment = std::vector<std::string>{"DISPLAY=" + name_};
    options.nullInput = true;
    options.outputFd = out->write.get();
    std::string error;
    base::ChildProcess child(base::spawn(options, &error));
    if (!child.running()) {
        result.output = error;
        return result;
    }
    out->write.reset();
    result.output = readFrom(out->read.get(), 30000, false);
    result.status = child.wait();
    return result;
}

std::string VirtualDisplay::windowOf(pid_t pid, double hostSeconds) const {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(hostSeconds));
    while (std::chrono::steady_clock::now() < deadline) {
        const Result found = xdotool({"search", "--onlyvisible", "--pid", std::to_string(pid)});
        const std::string first = found.output.substr(0, found.output.find('\n'));
        if (found.status == 0 && !first.empty()) return first;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

bool VirtualDisplay::click(const std::string& window, int x, int y) const {
    return xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
                    "1"})
               .status == 0;
}

bool VirtualDisplay::scroll(const std::string& window, int x, int y, bool down, int notches) const {
    // X reports the wheel as buttons 4 (away from the user) and 5 (towards).
    return xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
                    "--repeat", std::to_string(notches), "--delay", "50", down ? "5" : "4"})
               .status == 0;
}

std::optional<VirtualDisplay::Geometry> VirtualDisplay::geometry(const std::string& window) const {
    // Lines such as "X=0", "WIDTH=320".
    const Result shell = xdotool({"getwindowgeometry", "--shell", window});
    if (shell.status != 0) return std::nullopt;
    Geometry g;
    std::istringstream lines(shell.output);
    int found = 0;
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        for (auto [name, field] : {std::pair{"X", &g.x}, std::pair{"Y", &g.y},
                                   std::pair{"WIDTH", &g.width}, std::pair{"HEIGHT", &g.height}})
            if (key == name) *field = value, ++found;
    }
    if (found != 4) return std::nullopt;
    return g;
}

std::optional<Picture> VirtualDisplay::picture(const std::string& window) const {
    const auto g = geometry(window);
    if (!g) return std::nullopt;
    return framebuffer_.read(g->x, g->y, g->width, g->height);
}

}  // namespace display
