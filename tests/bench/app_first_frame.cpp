// Time from start to the first frame of the control app's main screen, on a booted simulated
// iPhone OS 3.1.3 device with the package installed, beside a minimal Qt window measured the
// same way in the same run. Both run on Qt's offscreen platform, interleaved, and each writes
// the monotonic time of its first frame to a file; the start is taken just before the program is
// started.
#include <base/Spawn.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "DeviceSession.h"

extern char** environ;

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// This process's environment with `own` and then `extra` ("NAME=value") put over it.
std::vector<std::string> withEnvironment(const std::vector<std::string>& own,
                                         const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    for (char** e = environ; e && *e; ++e) entries.emplace_back(*e);
    for (const std::vector<std::string>* list : {&own, &extra})
        for (const std::string& entry : *list) {
            const std::string name = entry.substr(0, entry.find('=') + 1);
            std::erase_if(entries, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
            entries.push_back(entry);
        }
    return entries;
}

// Runs `program` with the extra environment, waits for it, and returns the milliseconds from
// just before it was started to its first frame (-1 when it reported none).
double firstFrameMs(const std::string& program, const std::string& folder,
                    const std::vector<std::string>& extraEnvironment) {
    const std::string stamp = folder + "/first-frame";
    std::remove(stamp.c_str());
    const long long start = monotonicNs();
    base::SpawnOptions options;
    options.program = program;
    options.workingDirectory = folder;
    options.environment =
        withEnvironment({"QT_QPA_PLATFORM=offscreen", "VIGILANT_UI_FIRST_FRAME=" + stamp,
                         "VIGILANT_UI_EXIT_AFTER_FIRST_FRAME=1"},
                        extraEnvironment);
    const pid_t pid = base::spawn(options, nullptr);
    if (pid < 0) return -1;
    base::waitForExit(pid);
    long long frame = 0;
    std::ifstream in(stamp);
    if (!(in >> frame)) return -1;
    return static_cast<double>(frame - start) / 1e6;
}

struct Summary {
    double median = 0, p90 = 0;
};

Summary summarize(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty()) return {};
    return {values[values.size() / 2], values[values.size() * 9 / 10]};
}

}  // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    e2e::DeviceSession device("3.1.3");
    if (!device.installPackage() || !device.boot(1.0)) {
        std::fprintf(stderr, "app_first_frame: no device: %s\n", device.lastOutput().c_str());
        return 1;
    }
    // The app as the device runs it: its executable inside the bundle, in the device's root.
    const std::string app = device.root() + "/Applications/VigilantPro.app/VigilantPro";
    const std::vector<std::string> onDevice{"SIMDEVICE_ROOT=" + device.root()};

    std::vector<double> appMs, minimalMs;
    firstFrameMs(app, device.root(), onDevice);  // warm the page cache for both
    firstFrameMs(MINIMAL_WINDOW, device.root(), {});
    for (int i = 0; i < runs; ++i) {
        const double a = firstFrameMs(app, device.root(), onDevice);
        const double m = firstFrameMs(MINIMAL_WINDOW, device.root(), {});
        if (a < 0 || m < 0) {
            std::fprintf(stderr, "app_first_frame: run %d reported no first frame\n", i + 1);
            return 1;
        }
        appMs.push_back(a);
        minimalMs.push_back(m);
        std::fprintf(stderr, "run %2d/%d: app %.1f ms, minimal window %.1f ms\n", i + 1, runs, a,
                     m);
    }
    const Summary appSummary = summarize(appMs), minimalSummary = summarize(minimalMs);
    std::printf("%-34s %10s %10s\n", "start to first frame (ms)", "median", "p90");
    std::printf("%-34s %10.1f %10.1f\n", "VigilantPro main screen", appSummary.median,
                appSummary.p90);
    std::printf("%-34s %10.1f %10.1f\n", "minimal Qt window", minimalSummary.median,
                minimalSummary.p90);
    std::printf("%-34s %10.1f\n", "difference of the medians",
                appSummary.median - minimalSummary.median);
    std::printf("%-34s %10.2f\n", "ratio of the medians",
                minimalSummary.median > 0 ? appSummary.median / minimalSummary.median : 0.0);
    return 0;
}
