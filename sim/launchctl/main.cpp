// The device's /bin/launchctl: load, unload and list launchd jobs by asking simd's launchd.
#include <base/LocalSocket.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/ReceiveTree.h>
#include <wire/Wire.h>
#include <wire/messages/Device.h>
#include <wire/messages/Launchd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ListFormat.h"

namespace {

const char* kUsage =
    "usage: launchctl load [-w] FILE...\n"
    "       launchctl unload [-w] FILE...\n"
    "       launchctl list\n"
    "FILE is a job file (a device path such as /System/Library/LaunchDaemons/x.plist).\n"
    "-w makes the change last: load -w enables the job for good, unload -w disables it.\n"
    "unload ends the job with SIGTERM (SIGKILL after 20 device seconds) and waits for it.\n";

// Unloading waits for the job to end; that may take its whole grace period on a slow clock.
constexpr int kUnloadTimeoutMs = 15 * 60 * 1000;

base::LocalSocket connectToSimd(const std::string& root) {
    base::LocalSocket fd = wire::connectToService(root, wire::kSimdService);
    if (!fd) {
        std::fprintf(stderr, "launchctl: the device's launchd does not answer (is it booted?)\n");
        return fd;
    }
    wire::send(fd.get(), wire::Hello{getpid()});
    return fd;
}

// The reply to `request`; null when none came within `timeoutMs`.
template <wire::Message Reply, wire::Request Request>
std::optional<Reply> ask(const base::ScopedFd& fd, const Request& request, int timeoutMs) {
    if (!wire::send(fd.get(), request)) return std::nullopt;
    const base::PlistTree answer = wire::receiveTreeWithin(fd.get(), timeoutMs);
    if (!answer) return std::nullopt;
    Reply reply;
    wire::codec::takeFields(answer.get(), reply);
    return reply;
}

// FILE as given: a host path inside the root stays, anything else is a device path.
std::string hostPathOf(const std::string& root, std::string file) {
    if (!file.empty() && file.front() != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) file = std::string(cwd) + "/" + file;
        if (auto device = wire::deviceView(root, file)) return wire::inRoot(root, *device);
        return file;
    }
    return wire::resolveDeviceArgument(root, file);
}

int loadOrUnload(const std::string& root, const std::vector<std::string>& args, bool load) {
    bool persist = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "-w")
            persist = true;
        else if (!arg.empty() && arg.front() == '-' && arg != "-")
            return std::fprintf(stderr, "launchctl: unknown option %s\n%s", arg.c_str(), kUsage),
                   64;
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "launchctl: %s needs a job file\n%s", load ? "load" : "unload",
                     kUsage);
        return 64;
    }
    const base::LocalSocket fd = connectToSimd(root);
    if (!fd) return 1;
    int status = 0;
    for (const std::string& file : files) {
        const wire::JobFileRequest job{hostPathOf(root, file), persist};
        const auto answer =
            load ? ask<wire::JobReply>(fd, wire::LaunchctlLoad{job}, 60000)
                 : ask<wire::JobReply>(fd, wire::LaunchctlUnload{job}, kUnloadTimeoutMs);
        if (!answer) {
            std::fprintf(stderr, "launchctl: %s: launchd did not answer\n", file.c_str());
            status = 1;
            continue;
        }
        if (!answer->ok) {
            std::fprintf(stderr, "launchctl: %s\n", answer->error.value_or("").c_str());
            status = 1;
        } else if (answer->note && !answer->note->empty()) {
            std::fprintf(stderr, "launchctl: %s\n", answer->note->c_str());
        }
    }
    return status;
}

int list(const std::string& root) {
    const base::LocalSocket fd = connectToSimd(root);
    if (!fd) return 1;
    const auto answer = ask<wire::JobListReply>(fd, wire::LaunchctlList{}, 30000);
    if (!answer || !answer->ok) {
        std::fprintf(stderr, "launchctl: launchd did not answer\n");
        return 1;
    }
    std::fputs(launchctl::formatJobList(answer->jobs).c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* root = std::getenv(wire::paths::kRootVariable);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!root || !*root) {
        std::fprintf(stderr,
                     "launchctl: not running on a simulated device (start it with simctl)\n");
        return 69;
    }
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 64;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "load") return loadOrUnload(root, args, true);
    if (command == "unload") return loadOrUnload(root, args, false);
    if (command == "list") {
        if (!args.empty()) {
            std::fprintf(stderr, "launchctl: list takes no arguments here\n%s", kUsage);
            return 64;
        }
        return list(root);
    }
    std::fprintf(stderr, "launchctl: unknown command \"%s\"\n%s", command.c_str(), kUsage);
    return 64;
}
