// Resident memory of the daemon at start and over 30 days of device time, next to the smallest
// C++ program on the same machine. The daemon runs its own loop with a daily window
// (22:00-06:00, so every day shows and hides the icon and books a wake-up) and is asked to
// sleep every hour. Goals: within 1 MiB of the minimal program beyond what the test platform
// itself needs, and no growth from day 1 to day 30.
#include <IOKit/pwr_mgt/IOPMLib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Daemon.h"
#include "GuardBenchDevice.h"

using namespace guard_bench;

namespace {

constexpr double kDay = 86400;
constexpr double kHour = 3600;
constexpr long kGrowthLimitKiB = 256;  // allocator noise, far below a leak per tick

long minimalProgramKiB() {
    FILE* out = popen(MINIMAL_PROGRAM, "r");
    if (!out) return -1;
    long kib = -1;
    if (std::fscanf(out, "%ld", &kib) != 1) kib = -1;
    pclose(out);
    return kib;
}

}  // namespace

int main(int argc, char* argv[]) {
    // More days on the command line, for a longer look at growth.
    const int days = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const long minimal = minimalProgramKiB();
    const long beforeDevice = residentKiB();
    auto device = makeDevice("3.1.3", "2026-12-07 21:58:00", {true, 1320, 360});
    startDaemon();
    runDaemonFor(*device, 60);
    const long atStart = residentKiB();

    long atDay1 = 0;
    long peak = atStart;
    std::printf("%-30s %10s\n", "moment", "RSS KiB");
    std::printf("%-30s %10ld\n", "minimal C++ program", minimal);
    std::printf("%-30s %10ld\n", "bench before the daemon", beforeDevice);
    std::printf("%-30s %10ld\n", "daemon started", atStart);
    for (int day = 1; day <= days; ++day) {
        for (int hour = 0; hour < 24; ++hour) {
            runDaemonFor(*device, kHour);
            // The question the power manager asks before an idle sleep, answered in passing.
            device->deliverPowerMessage(kIOMessageCanSystemSleep, 0x1000 + hour);
        }
        const long now = residentKiB();
        peak = std::max(peak, now);
        if (day == 1) atDay1 = now;
        if (day == 1 || day % 10 == 0)
            std::printf("%-30s %10ld\n", ("after day " + std::to_string(day)).c_str(), now);
    }
    const long growth = residentKiB() - atDay1;
    std::printf("daemon start minus bench before it: %ld KiB (goal: within 1024 of nothing)\n",
                atStart - beforeDevice);
    std::printf("growth day 1 -> day %d: %ld KiB, peak %ld KiB (limit %ld)\n", days, growth, peak,
                kGrowthLimitKiB);
    (void)kDay;
    return minimal > 0 && atStart - beforeDevice <= 1024 && growth <= kGrowthLimitKiB ? 0 : 1;
}
