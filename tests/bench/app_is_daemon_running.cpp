// isDaemonRunning over a launchd listing of 10,000 jobs: the whole path the app takes (a shell
// started with a clean environment, a stand-in launchctl script printing the listing, the output
// read in 1 KiB pieces and searched), with the guard's label near the end and absent, beside a
// listing of one job, which shows what starting the command costs on its own.
#include <time.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AppHarness.h"

namespace {

double nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string listing(int jobs, bool withGuard) {
    std::string out = "PID\tStatus\tLabel\n";
    for (int i = 0; i < jobs; ++i) {
        if (withGuard && i == jobs - 3) out += "412\t0\tcom.quillmoor.vigilantpro\n";
        out += "-\t0\tcom.example.job" + std::to_string(i) + "\n";
    }
    return out;
}

struct Case {
    const char* name;
    int jobs;
    bool withGuard;
};

}  // namespace

int main(int argc, char* argv[]) {
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char name[] = "app_is_daemon_running";
    char* qtArgv[] = {name, nullptr};
    QApplication qt(qtArgc, qtArgv);
    apptest::AppHarness app;
    app.launch();
    RootViewController* root = app.root();

    const Case cases[] = {{"10,000 jobs, guard listed", 10000, true},
                          {"10,000 jobs, guard absent", 10000, false},
                          {"1 job (start-up cost)", 1, false}};
    std::printf("%-28s %8s %10s %10s %12s\n", "listing", "answer", "median ms", "p90 ms", "MB/s");
    int wrong = 0;
    for (const Case& c : cases) {
        const std::string text = listing(c.jobs, c.withGuard);
        app.setListing(text);
        std::vector<double> ms;
        BOOL answer = NO;
        for (int i = 0; i < calls; ++i) {
            const double start = nowMs();
            answer = root->isDaemonRunning();
            ms.push_back(nowMs() - start);
            if (bool(answer) != c.withGuard) ++wrong;
        }
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        std::printf("%-28s %8s %10.2f %10.2f %12.1f\n", c.name, answer ? "YES" : "NO", median,
                    ms[ms.size() * 9 / 10], static_cast<double>(text.size()) / 1e3 / median);
    }
    if (wrong) std::printf("%d answers were wrong\n", wrong);
    return wrong == 0 ? 0 : 1;
}
