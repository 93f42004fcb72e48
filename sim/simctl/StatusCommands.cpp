// status, log.
#include <sim/simd/DeviceLock.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/SystemVersion.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "ReplyJson.h"
#include "Simctl.h"
#include "StatusReport.h"

namespace simctl {

using nlohmann::ordered_json;

namespace {

int statusCommand(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    const ordered_json simd = toJson(askSimd<wire::StatusReply>(root, wire::Status{}));
    std::vector<std::string> problems;
    auto take = [&](FileReport report) {
        problems.insert(problems.end(), report.problems.begin(), report.problems.end());
        return report.value;
    };
    ordered_json out = {{"version", wire::systemVersion(root)},
                        {"time", simd.value("time", "")},
                        {"power", simd.value("power", "")},
                        {"battery", simd.value("battery", ordered_json::object())},
                        {"statusBar", take(statusBarItems(root))},
                        {"jobs", simd.value("jobs", ordered_json::array())},
                        {"wakeRequests", take(wakeRequests(root))},
                        {"notifications", take(bookedNotifications(root))},
                        {"alerts", take(shownAlerts(root))}};
    for (auto it = simd.begin(); it != simd.end(); ++it)
        if (!out.contains(it.key())) out[it.key()] = it.value();
    out["problems"] = problems;
    std::printf("%s\n", out.dump(2).c_str());
    for (const std::string& p : problems) std::fprintf(stderr, "simctl: %s\n", p.c_str());
    return 0;
}

volatile sig_atomic_t g_stop = 0;
void stopFollowing(int) { g_stop = 1; }

struct LogOptions {
    std::string dir;
    bool follow = false;
};

int logCommand(const LogOptions& options) {
    const bool follow = options.follow;
    const std::string root = deviceRoot(options.dir);
    const std::string path = wire::inRoot(root, wire::paths::kEvents);
    std::signal(SIGINT, stopFollowing);
    std::signal(SIGTERM, stopFollowing);
    std::ifstream in;
    std::string partial;
    // Following ends with the device: once it is down, what it wrote last is read and simctl
    // ends. A device already down at the first look has ended too: waiting for a boot instead
    // would follow forever a device that shut down just before simctl looked.
    bool deviceEnded = false;
    for (;;) {
        if (follow) deviceEnded = !simd::DeviceLock::held(root);
        if (!in.is_open()) in.open(path, std::ios::binary);
        if (in.is_open()) {
            std::string line;
            while (std::getline(in, line)) {
                if (in.eof()) {  // a line still being written: wait for its end
                    partial += line;
                    break;
                }
                partial += line;
                if (std::fputs((partial + "\n").c_str(), stdout) < 0) return 0;
                partial.clear();
            }
            in.clear();
        }
        if (!follow || deviceEnded) break;
        if (std::fflush(stdout) != 0 || g_stop) break;
        usleep(100000);
        if (g_stop) break;
    }
    if (!partial.empty() && (!follow || deviceEnded)) std::fputs((partial + "\n").c_str(), stdout);
    return 0;
}

}  // namespace

void addStatusCommands(CommandLine& line) {
    line.addDeviceCommand(
        "status", "the device's state as JSON",
        "Prints the device's state as one JSON object: version, time, power, statusBar, jobs,\n"
        "wakeRequests, notifications, alerts, and more.",
        statusCommand);

    auto logged = std::make_shared<LogOptions>();
    CLI::App& log = line.addCommand(
        "log", "the event log, one JSON object a line",
        "Prints the device's event log, one JSON object a line; with --follow it goes on\n"
        "printing new events until interrupted or the device shuts down (on a device that is\n"
        "not booted it prints the log and ends).",
        [logged] { return logCommand(*logged); });
    addDeviceFolder(log, logged->dir);
    log.add_flag("-f,--follow", logged->follow,
                 "keep printing new events until interrupted or the device shuts down");
}

}  // namespace simctl
