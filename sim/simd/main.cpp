// simd: started by "simctl boot", never by hand. It boots the device at ROOT and serves it
// until "simctl shutdown" (or SIGTERM).
#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <base/ScopedFd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wire/BatteryFile.h>
#include <wire/DeviceClock.h>
#include <wire/DeviceLimits.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/SystemVersion.h>
#include <wire/Wire.h>
#include <wire/events/Simd.h>
#include <wire/messages/Battery.h>
#include <wire/messages/Device.h>
#include <wire/messages/Launchd.h>
#include <wire/messages/Notify.h>
#include <wire/messages/Power.h>
#include <wire/messages/Wake.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "ClockService.h"
#include "DeviceLock.h"
#include "DeviceProcesses.h"
#include "EventLog.h"
#include "Launchd.h"
#include "Notifyd.h"
#include "PowerSources.h"
#include "Powerd.h"
#include "ProcessControl.h"
#include "Server.h"
#include "SignalWatch.h"
#include "Simd.h"
#include "WakeBookings.h"

namespace {

const char* kUsage =
    "usage: simd --root ROOT [--time \"YYYY-MM-DD HH:MM:SS\"] [--rate N] [--idle-sleep S]\n"
    "            [--ready-fd FD]\n"
    "The simulated device's system process (clock, launchd, power manager, event log).\n"
    "It is started by \"simctl boot\"; see simctl boot --help for its options' bounds.\n";

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end && *end == '\0' && end != text && std::isfinite(out);
}

// Tells simctl boot how the boot went: "ready", or the error.
void reportBoot(int readyFd, const std::string& error) {
    const base::ScopedFd ready(readyFd);
    if (!ready) return;
    const std::string line = error.empty() ? "ready\n" : "error: " + error + "\n";
    if (write(ready.get(), line.data(), line.size()) < 0) {
    }
}

int bootFailed(const simd::SimdOptions& options, const std::string& error) {
    reportBoot(options.readyFd, error);
    std::fprintf(stderr, "simd: %s\n", error.c_str());
    return 1;
}

// Boots the device and serves it until it has shut down: the services, and the table of the
// requests each one serves.
int serveDevice(const simd::SimdOptions& options) {
    const std::string& root = options.root;
    base::makeDirectories(wire::inRoot(root, wire::paths::kRunFolder));
    chmod(wire::inRoot(root, wire::paths::kRunFolder).c_str(), 0700);
    // Held until simd has ended: whatever else boots this root meanwhile finds it and stops
    // before it touches anything of the device.
    std::string lockError;
    const std::optional<simd::DeviceLock> lock = simd::DeviceLock::take(root, &lockError);
    if (!lock) return bootFailed(options, lockError);
    base::makeDirectories(wire::inRoot(root, wire::paths::kLogFolder));
    simd::removeRunFiles(root);
    std::string batteryError;
    const wire::BatteryRecord battery = wire::loadBattery(root, &batteryError);
    if (!batteryError.empty())
        std::fprintf(stderr, "simd: %s; the battery starts full\n", batteryError.c_str());
    if (battery.level <= 0 && !battery.plugged)
        return bootFailed(options, std::string(simd::kBatteryEmpty));

    wire::DeviceClock clock =
        wire::DeviceClock::startingAt(wire::hostNow(), options.startTime, options.rate);
    if (!base::writeFileAtomically(wire::inRoot(root, wire::paths::kClock),
                                   base::plistToXml(clock.toPlist())))
        return bootFailed(options,
                          "cannot write the device clock " + std::string(wire::paths::kClock));
    const simd::Clock now = [&clock] { return clock.now(); };
    simd::EventLog log(wire::inRoot(root, wire::paths::kEvents), now);

    simd::SignalWatch signals;
    base::LocalSocket listening = wire::listenAsService(root, wire::kSimdService);
    if (!listening || !signals.valid())
        return bootFailed(options, "cannot listen on " + wire::socketFolder(root) +
                                       "/simd.sock: " + std::strerror(errno));
    const std::string pid = std::to_string(getpid()) + "\n";
    base::writeFileAtomically(wire::inRoot(root, wire::paths::kSimdPid), {pid.begin(), pid.end()});
    // The level the night starts from: the first battery-level event is only the next percent.
    log.write(wire::events::Boot{wire::systemVersion(root), options.rate, options.idleSleep,
                                 wire::deviceZone(root), getpid(),
                                 static_cast<int64_t>(std::floor(battery.level)), battery.plugged});

    simd::Server server(std::move(listening), log);
    simd::SystemProcesses system;
    simd::Launchd launchd(root, log, system, now, options.killGrace());
    simd::DeviceProcesses processes(root, system, log, launchd, signals, now,
                                    options.minimumHostGrace);
    processes.startSpringBoard();
    launchd.boot();
    simd::WakeBookings wakes(root, log);
    simd::PowerManager::Settings settings;
    settings.idleSleep = options.idleSleep;
    settings.answerTimeout = options.answerTimeout();
    settings.darkWakeGrace = options.darkWakeGrace();
    simd::Powerd power(server, processes, wakes, log, now, settings);
    wakes.onChange([&] { power.manager().wakeListChanged(); });
    server.onClose([&](simd::ConnectionId id) { power.connectionClosed(id); });
    simd::Notifyd notify(server);
    server.onClose([&](simd::ConnectionId id) { notify.connectionClosed(id); });
    simd::PowerSources sources(root, battery, power.manager(), notify, log, now);
    simd::Simd device(options, clock, {server, signals, log, launchd, processes, power, sources});
    simd::ClockService clockService(root, clock, log);
    clockService.onClockSet([&](double jump) {
        power.manager().clockSet(jump);
        sources.clockSet(jump);
        launchd.clockSet(jump);
        notify.post(wire::kClockSetNotification);  // last: the clients read the clock as set
    });
    clockService.onZoneChanged([&] { notify.post(wire::kTimeZoneNotification); });

    using namespace simd;
    server.on<wire::Hello>(processes, &DeviceProcesses::hello)
        .on<wire::LogEvent>([&log](const Caller&, const wire::LogEvent& m) { log.record(m); })
        .on<wire::Ping>(device, &Simd::ping)
        .on<wire::Status>(device, &Simd::status)
        .on<wire::Launch>(processes, &DeviceProcesses::launch)
        .on<wire::Shutdown>(device, &Simd::shutdown)
        .on<wire::Respring>(processes, &DeviceProcesses::respring)
        .on<wire::PowerRegister>(power, &Powerd::registerClient)
        .on<wire::PowerAnswer>(power, &Powerd::answer)
        .on<wire::PowerDeregister>(power, &Powerd::deregister)
        .on<wire::PowerProbe>(power, &Powerd::probe)
        .on<wire::SleepNow>(power, &Powerd::sleep)
        .on<wire::WakeNow>(power, &Powerd::wake)
        .on<wire::UserActivity>(power, &Powerd::userActivity)
        .on<wire::BatteryQuery>(sources, &PowerSources::query)
        .on<wire::SetBattery>(sources, &PowerSources::set)
        .on<wire::ScheduleWake>(wakes, &WakeBookings::schedule)
        .on<wire::CancelWake>(wakes, &WakeBookings::cancel)
        .on<wire::LaunchctlLoad>(launchd, &Launchd::load)
        .on<wire::LaunchctlUnload>(launchd, &Launchd::unload)
        .on<wire::LaunchctlList>(launchd, &Launchd::list)
        .on<wire::SetTime>(clockService, &ClockService::setTime)
        .on<wire::SetTimeZone>(clockService, &ClockService::setTimeZone)
        .on<wire::NotifyRegister>(notify, &Notifyd::registerClient)
        .on<wire::NotifyPost>(notify, &Notifyd::postFrom);

    reportBoot(options.readyFd, "");
    device.run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    simd::SimdOptions options;
    std::string time;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "simd: %s needs a value\n%s", arg.c_str(), kUsage);
            return 64;
        }
        const char* value = argv[++i];
        double n = 0;
        if (arg == "--root") {
            options.root = value;
        } else if (arg == "--time") {
            time = value;
        } else if (arg == "--rate" && number(value, n) && wire::limits::rateAccepted(n)) {
            options.rate = n;
        } else if (arg == "--idle-sleep" && number(value, n) &&
                   wire::limits::idleSleepAccepted(n)) {
            options.idleSleep = n;
        } else if (arg == "--ready-fd" && number(value, n) && n >= 0) {
            options.readyFd = static_cast<int>(n);
        } else {
            std::fprintf(stderr, "simd: bad argument %s %s\n%s", arg.c_str(), value, kUsage);
            return 64;
        }
    }
    if (options.root.empty() || options.root.front() != '/') {
        std::fprintf(stderr, "simd: --root must name the device's folder by its absolute path\n");
        return 64;
    }
    if (time.empty()) {
        options.startTime = wire::hostNow() - wire::kReferenceDateSince1970;
    } else if (auto parsed = wire::parseDeviceTime(time);
               parsed && wire::limits::clockTimeAccepted(*parsed)) {
        options.startTime = *parsed;
    } else {
        std::fprintf(stderr,
                     "simd: --time wants \"YYYY-MM-DD HH:MM:SS\" in the years %s, not \"%s\"\n",
                     wire::limits::clockYears().c_str(), time.c_str());
        return 64;
    }
    try {
        return serveDevice(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simd: %s\n", e.what());
        return 1;
    }
}
