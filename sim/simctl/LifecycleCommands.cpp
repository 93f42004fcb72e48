// create, install, boot, shutdown.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/Wire.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DebInstaller.h"
#include "DeviceLayout.h"
#include "Processes.h"
#include "Simctl.h"

namespace simctl {

namespace {

// "--name value" options after the positional arguments.
std::string optionValue(const Args& args, size_t& i) {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value");
    return args[++i];
}

double positiveNumber(const std::string& option, const std::string& text, bool allowZero) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || !end || *end != '\0' || !std::isfinite(value) || value < 0 ||
        (!allowZero && value == 0))
        throw UsageError(option + " wants a " + (allowZero ? "non-negative" : "positive") +
                         " number, not \"" + text + "\"");
    return value;
}

}  // namespace

int createCommand(const Args& args) {
    if (args.empty()) throw UsageError("create needs a folder");
    std::string version = "3.1.3";
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--version")
            version = optionValue(args, i);
        else
            throw UsageError("unknown argument " + args[i]);
    }
    if (!validSystemVersion(version))
        throw UsageError("--version wants a system version such as 3.1.3, not \"" + version + "\"");
    layOutDevice(args[0], version, toolFolder() + "/../firmware");
    std::printf("created %s (system version %s)\n", args[0].c_str(), version.c_str());
    return 0;
}

int installCommand(const Args& args) {
    if (args.size() != 2) throw UsageError("install needs a device folder and a package");
    const std::string root = deviceRoot(args[0]);
    const InstallResult result = installPackage(root, args[1]);
    std::printf("installed %s (%zu paths)\n", result.package.c_str(), result.files.size());
    return 0;
}

int bootCommand(const Args& args) {
    if (args.empty()) throw UsageError("boot needs a device folder");
    std::vector<std::string> simdArgs;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--time") {
            const std::string time = optionValue(args, i);
            if (!wire::parseDeviceTime(time))
                throw UsageError("--time wants \"YYYY-MM-DD HH:MM:SS\", not \"" + time + "\"");
            simdArgs.insert(simdArgs.end(), {"--time", time});
        } else if (option == "--rate") {
            const std::string rate = optionValue(args, i);
            positiveNumber(option, rate, false);
            simdArgs.insert(simdArgs.end(), {"--rate", rate});
        } else if (option == "--idle-sleep") {
            const std::string idle = optionValue(args, i);
            positiveNumber(option, idle, true);
            simdArgs.insert(simdArgs.end(), {"--idle-sleep", idle});
        } else {
            throw UsageError("unknown argument " + option);
        }
    }
    const std::string root = deviceRoot(args[0]);
    if (isBooted(root)) throw CommandError(args[0] + ": the device is already booted");
    const std::string simd = toolFolder() + "/simd";
    if (access(simd.c_str(), X_OK) != 0)
        throw CommandError("simd is missing beside simctl: " + simd);

    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
        throw CommandError(std::string("pipe: ") + std::strerror(errno));
    std::vector<std::string> argv = {simd, "--root", root, "--ready-fd", std::to_string(ready[1])};
    argv.insert(argv.end(), simdArgs.begin(), simdArgs.end());
    const std::string logPath = wire::inRoot(root, "/var/log/sim/simd.log");
    const pid_t pid = fork();
    if (pid < 0) throw CommandError(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        // simd outlives simctl: its own session, no terminal, its output in the device's log.
        setsid();
        fcntl(ready[1], F_SETFD, 0);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (in >= 0) dup2(in, 0);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        unsetenv(wire::paths::kRootVariable);
        std::vector<char*> cargs;
        for (auto& a : argv) cargs.push_back(a.data());
        cargs.push_back(nullptr);
        execv(simd.c_str(), cargs.data());
        _exit(127);
    }
    close(ready[1]);
    // Boot ends when simd says so, or when it ends without saying anything.
    std::string line;
    pollfd p{ready[0], POLLIN, 0};
    const double until = wire::hostNow() + 120;
    while (wire::hostNow() < until) {
        if (poll(&p, 1, 200) > 0) {
            char buffer[512];
            const ssize_t n = read(ready[0], buffer, sizeof buffer);
            if (n > 0) {
                line.append(buffer, static_cast<size_t>(n));
                if (line.find('\n') != std::string::npos) break;
                continue;
            }
            if (n == 0) break;
        }
    }
    close(ready[0]);
    int status = 0;
    waitpid(pid, &status, WNOHANG);  // simd lives on; this only reaps one that already ended
    if (line.rfind("ready", 0) == 0) {
        std::printf("booted %s\n", args[0].c_str());
        return 0;
    }
    if (line.rfind("error: ", 0) == 0) line.erase(0, 7);
    while (!line.empty() && line.back() == '\n') line.pop_back();
    throw CommandError(args[0] + ": boot failed: " +
                       (line.empty() ? "simd ended early (see var/log/sim/simd.log)" : line));
}

int shutdownCommand(const Args& args) {
    if (args.size() != 1) throw UsageError("shutdown needs exactly a device folder");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
    PList::Dictionary ping = request("ping");
    const auto pong = askSimd(root, ping, 10000);
    const pid_t simdPid = static_cast<pid_t>(wire::integerField(*pong, "pid").value_or(0));
    PList::Dictionary message = request("shutdown");
    try {
        askSimd(root, message, 180000);
    } catch (const CommandError&) {
        // simd did not see it through: end what is left of the device by force.
        if (simdPid > 0) kill(simdPid, SIGKILL);
        for (pid_t pid : sim::findDeviceProcesses(root)) kill(pid, SIGKILL);
    }
    const double until = wire::hostNow() + 30;
    while (simdPid > 0 && sim::processAlive(simdPid) && wire::hostNow() < until) usleep(10000);
    std::printf("shut down %s\n", args[0].c_str());
    return 0;
}

}  // namespace simctl
