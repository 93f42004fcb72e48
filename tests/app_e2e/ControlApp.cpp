#include "ControlApp.h"

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "ReadWhole.h"
#include "ScopedEnvironment.h"

namespace apptest {

namespace {

constexpr double kReplyBudget = 120;  // a reply waits for any launchctl the app runs first
constexpr double kQuitBudget = 30;

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineIn(double hostSeconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(hostSeconds));
}

int launchCount = 0;

}  // namespace

ControlApp::ControlApp(e2e::DeviceSession& device) : device_(device) {
    // Beside the device root, inside the session's temporary folder: short enough for a socket
    // address and removed with the folder.
    socketPath_ = (std::filesystem::path(device.root()).parent_path() /
                   ("ui-" + std::to_string(++launchCount) + ".sock"))
                      .string();
}

ControlApp::~ControlApp() { forceEnd(); }

bool ControlApp::running() const { return e2e::processAlive(pid_); }

bool ControlApp::launch() {
    forceEnd();
    failure_.clear();
    e2e::CommandResult launched;
    {
        // simctl passes its environment to the app.
        ScopedEnvironment environment;
        environment.set("VIGILANT_UI_AUTOMATION", socketPath_);
        environment.set("QT_QPA_PLATFORM", display_.empty() ? "offscreen" : "xcb");
        environment.set("VIGILANT_UI_ANIMATIONS", "0");
        if (!display_.empty()) environment.set("DISPLAY", display_);
        launched = device_.simctl({"launch", device_.root()});
    }
    pid_ = launched.status == 0 ? std::atoi(launched.output.c_str()) : -1;
    if (pid_ <= 0) {
        failure_ = "simctl launch failed: " + launched.output;
        return false;
    }
    const auto deadline = deadlineIn(kReplyBudget);
    while (Clock::now() < deadline) {
        if (!running()) {
            failure_ = "the app ended at start: " + output();
            return false;
        }
        if (client_.tryConnect(socketPath_)) {
            const std::string reply = client_.command("ping", kReplyBudget);
            if (reply == "ok pong") return true;
            failure_ = "ping: " + reply;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    failure_ = "the app never listened on " + socketPath_ + ": " + output();
    return false;
}

std::string ControlApp::command(const std::string& line) {
    return client_.command(line, kReplyBudget);
}

bool ControlApp::tap(const std::string& name) { return command("tap " + name) == "ok"; }

bool ControlApp::tapRow(const std::string& table, int section, int row) {
    return command("tap-row " + table + " " + std::to_string(section) + " " +
                   std::to_string(row)) == "ok";
}

bool ControlApp::pick(const std::string& picker, int component, int row) {
    return command("pick " + picker + " " + std::to_string(component) + " " +
                   std::to_string(row)) == "ok";
}

Json ControlApp::state() {
    const std::string reply = command("state");
    if (reply.rfind("ok ", 0) != 0) return nullptr;
    Json parsed = Json::parse(reply.substr(3), nullptr, false);
    return parsed.is_discarded() ? Json(nullptr) : parsed;
}

bool ControlApp::waitForState(const std::function<bool(const Json&)>& condition,
                              double hostSeconds) {
    const auto deadline = deadlineIn(hostSeconds);
    while (true) {
        lastState_ = state();
        if (lastState_.is_object() && condition(lastState_)) return true;
        if (Clock::now() > deadline || !running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

bool ControlApp::waitUntilGone(double hostSeconds) const {
    const auto deadline = deadlineIn(hostSeconds);
    while (running()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool ControlApp::quit(double hostSeconds) {
    if (!running()) return true;
    const std::string reply = client_.command("quit", hostSeconds);
    client_.disconnect();
    return reply == "ok" && waitUntilGone(hostSeconds);
}

void ControlApp::forceEnd() {
    client_.disconnect();
    if (pid_ <= 0 || !running()) return;
    if (client_.tryConnect(socketPath_) && quit(kQuitBudget)) return;
    kill(pid_, SIGKILL);
    waitUntilGone(kQuitBudget);
}

std::string ControlApp::output() const {
    return readWhole(device_.root() + "/var/log/sim/VigilantPro.log");
}

Json widget(const Json& state, const std::string& name) {
    if (!state.is_object() || !state.contains("widgets") || !state["widgets"].contains(name))
        return nullptr;
    return state["widgets"][name];
}

bool switchOn(const Json& state, const std::string& name) {
    const Json w = widget(state, name);
    return w.is_object() && w.value("on", false);
}

std::string labelText(const Json& state, const std::string& name) {
    const Json w = widget(state, name);
    return w.is_object() ? w.value("text", "") : "";
}

Json alertsUp(const Json& state) {
    if (!state.is_object() || !state.contains("alerts") || !state["alerts"].is_array())
        return Json::array();
    return state["alerts"];
}

bool statusBarShows(const Json& state, const std::string& item) {
    if (!state.is_object() || !state.contains("statusBar")) return false;
    for (const Json& shown : state["statusBar"])
        if (shown == item) return true;
    return false;
}

std::vector<int> sections(const Json& state, const std::string& table) {
    const Json w = widget(state, table);
    std::vector<int> rows;
    if (w.is_object() && w.contains("sections"))
        for (const Json& count : w["sections"]) rows.push_back(count.get<int>());
    return rows;
}

}  // namespace apptest
