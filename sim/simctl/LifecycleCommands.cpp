// create, install, boot, shutdown.
#include <base/Spawn.h>
#include <poll.h>
#include <unistd.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/Wire.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "DebInstaller.h"
#include "DeviceLayout.h"
#include "Processes.h"
#include "Simctl.h"

namespace simctl {

namespace {

struct CreateOptions {
    std::string dir;
    std::string version = "3.1.3";
    std::string zone = wire::kDefaultZone;
};

int createCommand(const CreateOptions& options) {
    layOutDevice(options.dir, options.version, options.zone, toolFolder() + "/../firmware");
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
    if (isBooted(root)) throw CommandError(options.dir + ": the device is already booted");
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
    throw CommandError(options.dir + ": boot failed: " +
                       (line.empty() ? "simd ended early (see var/log/sim/simd.log)" : line));
}

int shutdownCommand(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    PList::Dictionary ping = request("ping");
    const auto pong = askSimd(root, ping, 10000);
    const pid_t simdPid = static_cast<pid_t>(wire::integerField(*pong, "pid").value_or(0));
    PList::Dictionary message = request("shutdown");
    try {
        askSimd(root, message, 180000);
    } catch (const CommandError&) {
        // simd did not see it through: end what is left of the device by force.
        if (simdPid > 0) kill(simdPid, SIGKILL);
        for (pid_t pid : sim::findDeviceProcesses(root)) kill(pid, SIGKILL);
    }
    const double until = wire::hostNow() + 30;
    while (simdPid > 0 && sim::processAlive(simdPid) && wire::hostNow() < until) usleep(10000);
    std::printf("shut down %s\n", dir.c_str());
    return 0;
}

}  // namespace

void addLifecycleCommands(CommandLine& line) {
    auto created = std::make_shared<CreateOptions>();
    CLI::App& create = line.addCommand(
        "create", "lay out a fresh device",
        "Lays out a fresh device root at DIR (absent or empty) with system version V (default\n"
        "3.1.3) in time zone ZONE of the host's tz database (default UTC), and copies the build\n"
        "tree's firmware into it.",
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

    auto installed = std::make_shared<InstallOptions>();
    CLI::App& install = line.addCommand(
        "install", "install a .deb into the device",
        "Installs the Debian package PKG into the device's root with dpkg-deb; the installed\n"
        "files are listed in var/lib/dpkg/info/NAME.list, so installing again replaces them.",
        [installed] { return installCommand(*installed); });
    addDeviceFolder(install, installed->dir);
    install.add_option("PKG", installed->package, "the package file")->required()->type_name("");

    auto booted = std::make_shared<BootOptions>();
    CLI::App& boot = line.addCommand(
        "boot", "start the device's services",
        "Starts the device's services (launchd, SpringBoard, the power manager) and returns\n"
        "once they take requests.",
        [booted] { return bootCommand(*booted); });
    addDeviceFolder(boot, booted->dir);
    boot.add_option("--time", booted->time, "the wall clock to start at (UTC; default: the host's)")
        ->type_name("\"YYYY-MM-DD HH:MM:SS\"")
        ->check(deviceTimeCheck());
    boot.add_option("--rate", booted->rate, "device time runs N times real time")
        ->type_name("N")
        ->check(positiveNumber());
    boot.add_option("--idle-sleep", booted->idleSleep,
                    "device seconds idle before the power manager tries to sleep (default 30; "
                    "0: never on its own)")
        ->type_name("S")
        ->check(nonNegativeNumber());

    line.addDeviceCommand(
        "shutdown", "end every device process",
        "Ends the jobs with SIGTERM (SIGKILL after their grace period), then every other\n"
        "device process, then the services; no process is left behind.",
        shutdownCommand);
}

}  // namespace simctl
