#include "SimE2E.h"

#include <signal.h>
#include <sim/simd/Processes.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "ReadWhole.h"
#include "TestProgram.h"

extern char** environ;

namespace sim_e2e {

BackgroundSpawn::BackgroundSpawn(const std::string& simctl, const std::string& root,
                                 const std::vector<std::string>& programAndArguments,
                                 const std::string& outputFile) {
    std::vector<std::string> command{simctl, "spawn", root};
    command.insert(command.end(), programAndArguments.begin(), programAndArguments.end());
    base::SpawnOptions options = test_support::programWithOutputIn(command, outputFile);
    options.group = base::SpawnOptions::Group::NewGroup;
    pid_ = base::spawn(options, nullptr);
}

BackgroundSpawn::~BackgroundSpawn() {
    if (pid_ <= 0) return;
    if (waitForEnd(20) < 0 && !reaped_) {
        kill(-pid_, SIGKILL);
        waitForEnd(20);
    }
    // Whatever is left of the group (the device program, should simctl have gone first).
    kill(-pid_, SIGKILL);
}

int BackgroundSpawn::waitForEnd(double hostSeconds) {
    if (pid_ <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(hostSeconds * 1000));
    while (!reaped_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) {
            reaped_ = true;
            status_ = done == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return status_;
}

bool BackgroundSpawn::running() { return pid_ > 0 && waitForEnd(0) < 0 && !reaped_; }

Captured runCaptured(const std::vector<std::string>& command,
                     const std::vector<std::string>& environment, const std::string& scratchFolder,
                     double hostSeconds) {
    const std::string outPath = scratchFolder + "/captured.out";
    const std::string errPath = scratchFolder + "/captured.err";
    base::SpawnOptions options = test_support::programWithOutputIn(command, outPath);
    options.errorPath = errPath;
    options.environment = environment;
    options.group = base::SpawnOptions::Group::NewGroup;
    Captured result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = base::spawn(options, nullptr);
    if (child < 0) return result;
    const auto deadline = start + std::chrono::milliseconds(static_cast<long>(hostSeconds * 1000));
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR)) break;
        if (std::chrono::steady_clock::now() > deadline && !result.timedOut) {
            result.timedOut = true;
            kill(-child, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(-child, SIGKILL);  // anything the program left in its group
    result.hostSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.timedOut && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = readWhole(outPath);
    result.err = readWhole(errPath);
    return result;
}

std::vector<std::string> environmentOffDevice() {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        if (std::string(*e).rfind("SIMDEVICE_ROOT=", 0) != 0) env.emplace_back(*e);
    return env;
}

std::string simctlPath() { return SIMCTL_PATH; }
std::string powerClientPath() { return POWER_CLIENT_PATH; }

long long registeredClientPid(const Events& events) {
    long long pid = -1;
    for (const Json& e : e2e::eventsNamed(events, "client-registered")) pid = e.value("pid", -1LL);
    return pid;
}

Events fromNth(const Events& events, const std::string& name, size_t n) {
    size_t seen = 0;
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i].value("event", "") == name && seen++ == n)
            return Events(events.begin() + static_cast<long>(i), events.end());
    return {};
}

Events messagesNamed(const Events& events, const std::string& message) {
    Events found;
    for (const Json& e : e2e::eventsNamed(events, "message"))
        if (e.value("message", "") == message) found.push_back(e);
    return found;
}

std::vector<std::string> clientLines(const Events& events) {
    std::vector<std::string> lines;
    for (const Json& e : e2e::eventsNamed(events, "log")) {
        const std::string text = e.value("text", "");
        if (text.rfind("power-client: ", 0) == 0) lines.push_back(text.substr(14));
    }
    return lines;
}

char processState(pid_t pid) {
    const std::string stat = readWhole("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren == std::string::npos || paren + 2 >= stat.size() ? '?' : stat[paren + 2];
}

std::vector<pid_t> simdsServing(const std::string& root) { return simd::findSimds(root); }

}  // namespace sim_e2e
