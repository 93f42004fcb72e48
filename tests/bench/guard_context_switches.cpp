// The guarding daemon's blocking waits per hour of device time, as a real process on a booted
// simulated device, beside its run-loop ticks (one wakeup per 10 s run period), in each state in
// which it guards: the schedule off, and the schedule on with the device inside the window
// (where its 10 s window tick and its 20 s icon refresh run besides).
//
// How: a device of each system with the package installed and the settings of the state boots
// with a fast clock and no idle sleep, so no sleep question is ever asked; `launchctl load -w`
// of the guard's job has launchd start `VigilantPro darwin`. Once its item is shown and a
// minute of device time has passed (its start-up is not what is measured), the benchmark reads
// the voluntary context switches of that daemon's threads from /proc, lets some device hours
// pass, and reads them again. The kernel counts one each time a thread blocks: every wait the
// daemon blocks in counts once, its run loop's own waits and any wait for a reply from a
// service. Goal: at most 380 an hour, the 360 ticks and little else.
#include <unistd.h>
#include <wire/DeviceClock.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "DaemonLoop.h"
#include "DeviceSession.h"
#include "LogLines.h"
#include "VigilantProIdentity.h"

namespace {

using e2e::Json;

constexpr double kRate = 200;         // a device hour is 18 s of real time
constexpr double kSettle = 60;        // device seconds after the item is shown
constexpr double kMeasuredHours = 3;  // device hours measured
constexpr double kHostBudget = 150;   // real seconds any one start-up wait may take
constexpr double kGoalPerHour = 380;
constexpr double kHour = 3600;

struct Reading {
    long long switches = -1;  // voluntary_ctxt_switches; -1: the process is gone
    double deviceTime = 0;    // device seconds since the reference date
};

// What the guard is set to; each state is measured on a device of its own.
struct State {
    const char* name;
    bool schedule;
    int start = 0, end = 0;  // minutes after midnight
};
// The device boots at noon (UTC), inside 09:00-18:00 for the whole measurement.
constexpr State kStates[] = {{"schedule off", false}, {"inside 09:00-18:00", true, 540, 1080}};
constexpr char kBootTime[] = "2010-01-01 12:00:00";

// Summed over the process's threads; -1 when it is gone.
long long voluntarySwitches(long long pid) {
    constexpr std::string_view key = "voluntary_ctxt_switches:";
    long long total = -1;
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind(key, 0) == 0)
                total = std::max(total, 0LL) + std::stoll(line.substr(key.size()));
    }
    return total;
}

Reading readNow(long long pid, const wire::DeviceClock& clock) {
    return {voluntarySwitches(pid), clock.now()};
}

// Waits (polling, in real time) until the device clock reads `deviceTime` or the daemon is
// gone; false when it went.
bool waitUntil(const wire::DeviceClock& clock, double deviceTime, long long pid) {
    while (clock.now() < deviceTime) {
        if (!e2e::processAlive(static_cast<pid_t>(pid))) return false;
        const double hostLeft = (deviceTime - clock.now()) / clock.rate;
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(0.5, hostLeft)));
    }
    return true;
}

long long daemonPid(const std::vector<Json>& events) {
    for (const Json& e : e2e::eventsNamed<wire::events::JobStarted>(events))
        if (e.value("label", "") == kJobLabel) return e.value("pid", -1LL);
    return -1;
}

bool itemShownBy(const std::vector<Json>& events, long long pid) {
    for (const Json& e : e2e::eventsNamed<wire::events::StatusBarShow>(events))
        if (e.value("pid", -1LL) == pid && e.value("item", "") == kStatusBarImageName) return true;
    return false;
}

size_t powerMessages(const std::vector<Json>& events) {
    size_t n = 0;
    for (const Json& e : e2e::eventsNamed<wire::events::PowerMessage>(events))
        if (e.value("source", "") == "powerd") ++n;
    return n;
}

struct Figure {
    double switchesPerHour = 0;
    double ticksPerHour = 0;
    long long switches = 0;
    double deviceHours = 0;
    double hostSeconds = 0;
};

std::optional<Figure> measure(const std::string& version, const State& state, std::string* why) {
    e2e::DeviceSession device(version);
    auto fail = [&](const std::string& what) {
        *why = what + ": " + device.lastOutput();
        return std::nullopt;
    };
    if (!device.installPackage()) return fail("the package did not install");
    const std::vector<std::vector<std::string>> settings = {
        {"Schedule", "-bool", state.schedule ? "true" : "false"},
        {"ScheduleStart", "-int", std::to_string(state.start)},
        {"ScheduleEnd", "-int", std::to_string(state.end)}};
    for (const auto& setting : settings) {
        std::vector<std::string> command = {"defaults", device.root(), "write", kJobLabel};
        command.insert(command.end(), setting.begin(), setting.end());
        if (device.simctl(command).status != 0) return fail("the settings were not written");
    }
    if (!device.boot({"--time", kBootTime, "--rate", std::to_string(static_cast<int>(kRate)),
                      "--idle-sleep", "0"}))
        return fail("the device did not boot");
    std::string error;
    const auto clock = wire::DeviceClock::load(device.root(), &error);
    if (!clock) return fail("no device clock: " + error);
    if (device.spawn({"/bin/launchctl", "load", "-w", kJobFilePath}).status != 0)
        return fail("launchctl load failed");

    long long pid = -1;
    if (!device.waitForEvents(
            [&](const std::vector<Json>& e) {
                pid = daemonPid(e);
                return pid > 0 && itemShownBy(e, pid);
            },
            kHostBudget))
        return fail("the daemon never showed its item");
    if (!waitUntil(*clock, clock->now() + kSettle, pid)) return fail("the daemon ended");

    const size_t questionsBefore = powerMessages(device.events());
    const auto hostStart = std::chrono::steady_clock::now();
    const Reading start = readNow(pid, *clock);
    if (!waitUntil(*clock, start.deviceTime + kMeasuredHours * kHour, pid))
        return fail("the daemon ended");
    const Reading end = readNow(pid, *clock);
    const std::chrono::duration<double> host = std::chrono::steady_clock::now() - hostStart;
    if (start.switches < 0 || end.switches < 0) return fail("/proc has no figures for the daemon");
    if (powerMessages(device.events()) != questionsBefore)
        return fail("the power manager asked a question while measuring");
    device.shutdown();

    Figure f;
    f.deviceHours = (end.deviceTime - start.deviceTime) / kHour;
    f.switches = end.switches - start.switches;
    f.switchesPerHour = static_cast<double>(f.switches) / f.deviceHours;
    f.ticksPerHour = kHour / kDaemonRunPeriod;
    f.hostSeconds = host.count();
    return f;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1) {
        std::printf(
            "usage: guard_context_switches\nBoots simulated devices in temporary folders and "
            "prints the guarding daemon's blocking waits (voluntary context switches) per device "
            "hour beside its ticks, with the schedule off and inside the window.\n");
        return std::string(argv[1]) == "--help" ? 0 : 64;
    }
    std::printf("%-16s %-20s %12s %8s %6s  %s\n", "system", "guard", "switches/h", "ticks/h",
                "goal", "measured over");
    bool allMet = true;
    for (const char* version : {"3.1.3", "2.2.1"}) {
        for (const State& state : kStates) {
            std::string why;
            const std::optional<Figure> f = measure(version, state, &why);
            if (!f) {
                std::fprintf(stderr, "guard_context_switches: iPhone OS %s, %s: %s\n", version,
                             state.name, why.c_str());
                return 1;
            }
            const bool met = f->switchesPerHour <= kGoalPerHour;
            allMet = allMet && met;
            std::printf(
                "iPhone OS %-6s %-20s %12.1f %8.0f %6s  %.2f device hours (%lld switches, %.0f "
                "ticks), rate %.0f, %.1f s real time\n",
                version, state.name, f->switchesPerHour, f->ticksPerHour, met ? "met" : "MISSED",
                f->deviceHours, f->switches, f->ticksPerHour * f->deviceHours, kRate,
                f->hostSeconds);
        }
    }
    std::printf(
        "guarding daemon started by launchd, no sleep questions; switches/h: its blocking waits "
        "(voluntary context switches of its threads) per device hour; goal: at most %.0f\n",
        kGoalPerHour);
    return allMet ? 0 : 1;
}
