// create, install, boot, shutdown.
#include <base/Spawn.h>
#include <poll.h>
#include <sim/simd/DeviceLock.h>
#include <sim/simd/Processes.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wire/BatteryFile.h>
#include <wire/DeviceClock.h>
#include <wire/DeviceLimits.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/Wire.h>
#include <wire/messages/Device.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "CommandLine.h"
#include "Commands.h"
#include "DebInstaller.h"
#include "DeviceLayout.h"
#include "DeviceRemains.h"
#include "Simctl.h"

namespace simctl {

namespace {

struct CreateOptions {
    std::string dir;
    std::string version = "3.1.3";
    std::string zone = wire::kDefaultZone;
    double battery = 100;
};

int createCommand(const CreateOptions& options) {
    layOutDevice(options.dir, options.version, options.zone, toolFolder() + "/../firmware");
    wire::BatteryRecord battery;
    battery.level = options.battery;
    if (!wire::saveBattery(deviceRoot(options.dir), battery))
        throw CommandError(options.dir + ": cannot write the battery file");
    std::printf("created %s (system version %s)\n", options.dir.c_str(), options.version.c_str());
    return 0;
}

struct InstallOptions {
    std::string dir, package;
};

int installCommand(const InstallOptions& options) {
    const std::string root = deviceRoot(options.dir);
    const InstallResult result = installPackage(root, options.package);
    std::printf("installed %s (%zu paths)\n", result.package.c_str(), result.files.size());
    return 0;
}

// simd's options are passed on as given; empty ones are left out.
struct BootOptions {
    std::string dir, time, rate, idleSleep;
};

// What simd writes on its ready descriptor ("ready", or "error: why"), up to its first line,
// its end or two minutes, whichever comes first.
std::string readyLine(int fd) {
    std::string line;
    pollfd p{fd, POLLIN, 0};
    const double until = wire::hostNow() + 120;
    while (wire::hostNow() < until) {
        if (poll(&p, 1, 200) > 0) {
            char buffer[512];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0) {
                line.append(buffer, static_cast<size_t>(n));
                if (line.find('\n') != std::string::npos) break;
                continue;
            }
            if (n == 0) break;
        }
    }
    return line;
}

int bootCommand(const BootOptions& options) {
    const std::string root = deviceRoot(options.dir);
    // A look at the lock, not a try: a boot that only looked never takes it from one that boots.
    if (simd::DeviceLock::held(root)) throw CommandError(options.dir + ": " + simd::kAlreadyBooted);
    const std::string simd = toolFolder() + "/simd";
    if (access(simd.c_str(), X_OK) != 0)
        throw CommandError("simd is missing beside simctl: " + simd);

    std::optional<base::Pipe> ready = base::Pipe::create();
    if (!ready) throw CommandError(std::string("pipe: ") + std::strerror(errno));
    base::SpawnOptions spawn;
    spawn.program = simd;
    spawn.argv = {simd, "--root", root, "--ready-fd", std::to_string(ready->write.get())};
    for (const auto& [option, value] :
         {std::pair{"--time", &options.time}, std::pair{"--rate", &options.rate},
          std::pair{"--idle-sleep", &options.idleSleep}})
        if (!value->empty()) spawn.argv.insert(spawn.argv.end(), {option, *value});
    spawn.inheritedFds = {ready->write.get()};
    // simd outlives simctl: its own session, no terminal, its output in the device's log, and
    // no device root of its own in its environment (it serves the one it is given).
    spawn.group = base::SpawnOptions::Group::NewSession;
    spawn.nullInput = true;
    spawn.outputPath = wire::inRoot(root, "/var/log/sim/simd.log");
    spawn.environment = environmentOffDevice();
    std::string error;
    base::ChildProcess simdProcess(base::spawn(spawn, &error));
    if (!simdProcess.running()) throw CommandError(options.dir + ": boot failed: " + error);
    ready->write.reset();  // simd holds the only write end now: the read ends when simd does

    // Boot ends when simd says so, or when it ends without saying anything.
    std::string line = readyLine(ready->read.get());
    // simd lives on, whatever it said: even a failed boot may have left services for
    // simctl shutdown to end. It is init's to reap once simctl has gone.
    simdProcess.release();
    if (line.rfind("ready", 0) == 0) {
        std::printf("booted %s\n", options.dir.c_str());
        return 0;
    }
    if (line.rfind("error: ", 0) == 0) line.erase(0, 7);
    while (!line.empty() && line.back() == '\n') line.pop_back();
    // Another boot got there first, between the look above and simd's own try.
    if (line == simd::kAlreadyBooted) throw CommandError(options.dir + ": " + line);
    throw CommandError(options.dir + ": boot failed: " +
                       (line.empty() ? "simd ended early (see var/log/sim/simd.log)" : line));
}

// The simd a shutdown was asked of, as the kernel names the socket's listener.
struct AskedSimd {
    pid_t pid = 0;
    unsigned long long startTicks = 0;
};

std::optional<AskedSimd> listenerOf(const base::ScopedFd& connection) {
    const std::optional<pid_t> pid = base::peerPid(connection);
    if (!pid) return std::nullopt;
    const std::optional<unsigned long long> ticks = simd::processStartTicks(*pid);
    if (!ticks) return std::nullopt;
    return AskedSimd{*pid, *ticks};
}

// Asks simd (booting, serving or already ending) to shut the device down, and waits for its
// answer; the simd asked, null when none listened or it has gone already. Whether it answered
// changes nothing: one that closes without answering was ending anyway (for a signal, say),
// and one that ends before its answer reaches simctl is no failure of the shutdown.
std::optional<AskedSimd> askShutdown(const std::string& root) {
    const double until = wire::hostNow() + 180;
    while (wire::hostNow() < until) {
        const base::LocalSocket simd = openService(root, wire::kSimdService);
        if (simd) {
            const std::optional<AskedSimd> asked = listenerOf(simd);
            const auto left = static_cast<int>((until - wire::hostNow()) * 1000);
            exchange(simd, wire::encode(wire::Shutdown{}), std::max(left, 1));
            return asked;
        }
        // A simd that holds the lock but does not listen yet is still booting.
        if (!simd::DeviceLock::held(root)) return std::nullopt;
        usleep(20000);
    }
    return std::nullopt;
}

// Waits for the simd asked to end: one that boots meanwhile is asked in the next turn, not
// killed as if the one asked had hung. With none asked there is nothing to wait for: whoever
// holds the device now is asked next.
bool waitUntilAskedEnded(const std::string& root, const std::optional<AskedSimd>& asked,
                         double hostSeconds) {
    return !asked || waitUntilEnded(root, asked->pid, asked->startTicks, hostSeconds);
}

// Kills what is left of the device: a simd that did not see the shutdown through, and what
// raced with it (a program spawned while simd ended the others, say).
void killRemains(const DeviceRemains& remains) {
    for (pid_t pid : remains.simds) kill(pid, SIGKILL);
    for (pid_t pid : remains.processes) kill(pid, SIGKILL);
}

int shutdownCommand(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    DeviceRemains remains = remainsOf(root);
    if (remains.empty())
        throw CommandError(dir + ": the device is not booted (simctl boot " + dir + ")");
    // Until nothing of the device is left, a simd that boots meanwhile included.
    const double until = wire::hostNow() + 240;
    bool forced = false;
    while (!remains.empty() && wire::hostNow() < until) {
        if (remains.locked) {
            // 30 s to end once asked, its processes' grace included: one that never answered
            // at all had three minutes to.
            if (!waitUntilAskedEnded(root, askShutdown(root), 30)) {
                forced = true;
                killRemains(remainsOf(root));
                waitUntilUnlocked(root, 5);
            }
        } else if (remains = waitUntilDown(root, 2); !remains.empty() && !remains.locked) {
            // No simd holds the device, yet something of it runs: it raced with simd's end,
            // or outlived a simd that was killed.
            killRemains(remains);
            waitUntilDown(root, 2);
        }
        remains = remainsOf(root);
    }
    if (!remains.empty())
        throw CommandError(dir +
                           ": the device did not shut down; still running: " + remains.describe());
    if (forced)
        std::fprintf(stderr,
                     "simctl shutdown: %s: simd did not see it through; what was left of the "
                     "device was killed\n",
                     dir.c_str());
    std::printf("shut down %s\n", dir.c_str());
    return 0;
}

}  // namespace

void addLifecycleCommands(CommandLine& line) {
    auto created = std::make_shared<CreateOptions>();
    CLI::App& create = line.addCommand(
        "create", "lay out a fresh device",
        "Lays out a fresh device root at DIR (absent or empty) with system version V (default\n"
        "3.1.3) in time zone ZONE of the host's tz database (default UTC), with a battery at\n"
        "PERCENT off the charger (default 100), and copies the build tree's firmware into it.",
        [created] { return createCommand(*created); });
    create.add_option("DIR", created->dir, "the folder to lay the device out in")
        ->required()
        ->type_name("");
    create.add_option("--version", created->version, "the system version (default 3.1.3)")
        ->type_name("V")
        ->check(valueCheck(validSystemVersion, "a system version such as 3.1.3"));
    create.add_option("--timezone", created->zone, "the device's time zone (default UTC)")
        ->type_name("ZONE")
        ->check(knownZoneCheck());
    create
        .add_option("--battery", created->battery,
                    "the battery's level, off the charger (0 to 100; default 100)")
        ->type_name("PERCENT")
        ->check(numberWithin(wire::limits::batteryLevelAccepted, "a percentage from 0 to 100"));

    auto installed = std::make_shared<InstallOptions>();
    CLI::App& install = line.addCommand(
        "install", "install a .deb into the device",
        "Installs the Debian package PKG into the device's root with dpkg-deb. A package whose\n"
        "Depends the device cannot satisfy (the packages of var/lib/dpkg/status, the system\n"
        "version as \"firmware\") is refused with nothing installed. An installed package is\n"
        "recorded in var/lib/dpkg/status and its files listed in var/lib/dpkg/info/NAME.list,\n"
        "so installing again replaces them.",
        [installed] { return installCommand(*installed); });
    addDeviceFolder(install, installed->dir);
    install.add_option("PKG", installed->package, "the package file")->required()->type_name("");

    auto booted = std::make_shared<BootOptions>();
    CLI::App& boot = line.addCommand(
        "boot", "start the device's services",
        "Starts the device's services (launchd, SpringBoard, the power manager) and returns\n"
        "once they take requests. A device runs one simd at a time: booting one that is booted\n"
        "(or booting) fails with \"the device is already booted\".",
        [booted] { return bootCommand(*booted); });
    addDeviceFolder(boot, booted->dir);
    using namespace wire::limits;
    boot.add_option("--time", booted->time,
                    "the wall clock to start at (UTC, in the years " + clockYears() +
                        "; default: the host's)")
        ->type_name("\"YYYY-MM-DD HH:MM:SS\"")
        ->check(deviceTimeCheck());
    boot.add_option("--rate", booted->rate,
                    "device time runs N times real time (" + rateBounds() + "; default 1)")
        ->type_name("N")
        ->check(numberWithin(rateAccepted, "a positive number from " + rateBounds()));
    boot.add_option("--idle-sleep", booted->idleSleep,
                    "device seconds idle before the power manager tries to sleep (" +
                        idleSleepBounds() + "; default 30; 0: never on its own)")
        ->type_name("S")
        ->check(numberWithin(idleSleepAccepted, "a number from " + idleSleepBounds()));
    line.noteInHelp("boot takes --rate from " + rateBounds() + ", --idle-sleep from " +
                    idleSleepBounds() + " device seconds and --time in the years " + clockYears() +
                    ".");

    line.addDeviceCommand(
        "shutdown", "end every device process",
        "Ends the jobs with SIGTERM (SIGKILL after their grace period), then every other\n"
        "device process, then the services; no process is left behind.",
        shutdownCommand);
}

}  // namespace simctl
