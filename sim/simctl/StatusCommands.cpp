// status, log.
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <csignal>
#include <cstdio>
#include <fstream>

#include "Simctl.h"
#include "StatusReport.h"

namespace simctl {

using nlohmann::ordered_json;

int statusCommand(const Args& args) {
    if (args.size() != 1) throw UsageError("status needs exactly a device folder");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
    ordered_json simd = askSimdJson(root, "status");
    std::vector<std::string> problems;
    auto take = [&](FileReport report) {
        problems.insert(problems.end(), report.problems.begin(), report.problems.end());
        return report.value;
    };
    ordered_json out = {{"version", systemVersion(root)},
                        {"time", simd.value("time", "")},
                        {"power", simd.value("power", "")},
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

namespace {
volatile sig_atomic_t g_stop = 0;
void stopFollowing(int) { g_stop = 1; }
}  // namespace

int logCommand(const Args& args) {
    if (args.empty()) throw UsageError("log needs a device folder");
    bool follow = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--follow" || args[i] == "-f")
            follow = true;
        else
            throw UsageError("unknown argument " + args[i]);
    }
    const std::string root = deviceRoot(args[0]);
    const std::string path = wire::inRoot(root, wire::paths::kEvents);
    std::signal(SIGINT, stopFollowing);
    std::signal(SIGTERM, stopFollowing);
    std::ifstream in;
    std::string partial;
    for (;;) {
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
        if (!follow) break;
        if (std::fflush(stdout) != 0 || g_stop) break;
        usleep(100000);
        if (g_stop) break;
    }
    if (!partial.empty() && !follow) std::fputs((partial + "\n").c_str(), stdout);
    return 0;
}

}  // namespace simctl
