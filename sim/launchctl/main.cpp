// The device's /bin/launchctl: load, unload and list launchd jobs by asking simd's launchd.
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
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

int connectToSimd(const std::string& root) {
    const int fd = wire::connectToService(root, "simd");
    if (fd < 0) {
        std::fprintf(stderr, "launchctl: the device's launchd does not answer (is it booted?)\n");
        return -1;
    }
    PList::Dictionary hello;
    hello.Set("op", PList::String("hello"));
    hello.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    wire::sendMessage(fd, hello);
    return fd;
}

std::unique_ptr<PList::Dictionary> ask(int fd, const PList::Dictionary& request, int timeoutMs) {
    if (!wire::sendMessage(fd, request)) return nullptr;
    return wire::receiveMessageWithin(fd, timeoutMs);
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
    const int fd = connectToSimd(root);
    if (fd < 0) return 1;
    int status = 0;
    for (const std::string& file : files) {
        PList::Dictionary request;
        request.Set("op", PList::String(load ? "launchctl-load" : "launchctl-unload"));
        request.Set("path", PList::String(hostPathOf(root, file)));
        request.Set("persist", PList::Boolean(persist));
        auto answer = ask(fd, request, load ? 60000 : kUnloadTimeoutMs);
        if (!answer) {
            std::fprintf(stderr, "launchctl: %s: launchd did not answer\n", file.c_str());
            status = 1;
            continue;
        }
        if (!wire::boolField(*answer, "ok")) {
            std::fprintf(stderr, "launchctl: %s\n", wire::stringField(*answer, "error").c_str());
            status = 1;
        } else if (const std::string note = wire::stringField(*answer, "note"); !note.empty()) {
            std::fprintf(stderr, "launchctl: %s\n", note.c_str());
        }
    }
    close(fd);
    return status;
}

int list(const std::string& root) {
    const int fd = connectToSimd(root);
    if (fd < 0) return 1;
    PList::Dictionary request;
    request.Set("op", PList::String("launchctl-list"));
    auto answer = ask(fd, request, 30000);
    close(fd);
    if (!answer || !wire::boolField(*answer, "ok")) {
        std::fprintf(stderr, "launchctl: launchd did not answer\n");
        return 1;
    }
    const auto jobs = nlohmann::json::parse(wire::stringField(*answer, "json"), nullptr, false);
    std::vector<launchctl::ListedJob> listed;
    if (jobs.is_array())
        for (const auto& job : jobs) {
            launchctl::ListedJob entry;
            entry.label = job.value("label", "");
            if (job.contains("pid") && job["pid"].is_number_integer())
                entry.pid = job["pid"].get<int>();
            entry.status = job.value("status", 0);
            listed.push_back(entry);
        }
    std::fputs(launchctl::formatJobList(listed).c_str(), stdout);
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
