// spawn, launch.
#include <base/PlistFile.h>
#include <base/Spawn.h>
#include <sim/simd/DeviceLock.h>
#include <sim/simd/Processes.h>
#include <unistd.h>
#include <wire/DeviceClock.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>
#include <wire/messages/Device.h>
#include <wire/messages/Power.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "Simctl.h"

namespace simctl {

namespace {

// A program that could not be started, as a shell reports it.
constexpr int kCannotRunStatus = 127;
// Real seconds a program waits for a sleeping device to wake, unless told otherwise.
constexpr double kDefaultWakeTimeout = 60;

// The build tree simctl belongs to: its test programs run on a device as they are.
bool inBuildTree(const std::string& hostPath) {
    std::error_code ec;
    const auto tree = std::filesystem::canonical(std::filesystem::path(toolFolder()) / "..", ec);
    if (ec) return false;
    const auto program = std::filesystem::canonical(hostPath, ec);
    if (ec) return false;
    const auto view = wire::deviceView(tree.string(), program.string());
    return view.has_value() && *view != "/";
}

// A device path resolves under the root (".." and all taken out first: it never names a host
// file). A program of the build tree that is not on the device (a test program, say) runs
// as it is.
std::string resolveProgram(const std::string& root, const std::string& program) {
    if (program.empty() || program.front() != '/')
        throw UsageError("the program must be a device path such as /bin/launchctl, not \"" +
                         program + "\"");
    const std::string inside = wire::resolveDeviceArgument(root, program);
    if (access(inside.c_str(), X_OK) == 0) return inside;
    if (inBuildTree(program) && access(program.c_str(), X_OK) == 0) return program;
    throw CommandError(program + ": no such program on the device");
}

// Programs start on an awake device. On a sleeping one simctl says so at once and waits for
// it to wake (simctl wake), `timeoutSeconds` of real time at most.
void waitUntilAwake(const std::string& root, const std::string& dir, const char* command,
                    const std::string& what, double timeoutSeconds) {
    auto asleep = [&] { return askSimdJson(root, wire::Status{}).value("power", "") == "asleep"; };
    if (!asleep()) return;
    std::fprintf(stderr,
                 "simctl %s: %s: the device is asleep; %s starts when it wakes (simctl wake %s)\n",
                 command, dir.c_str(), what.c_str(), dir.c_str());
    const double until = wire::hostNow() + timeoutSeconds;
    while (wire::hostNow() < until) {
        usleep(100000);
        if (!asleep()) return;
    }
    char waited[32];
    std::snprintf(waited, sizeof waited, "%g", timeoutSeconds);
    throw CommandError(dir + ": the device did not wake within " + waited + " s; " + what +
                       " was not started (--wake-timeout S waits longer)");
}

void addWakeTimeout(CLI::App& command, double& timeout) {
    command
        .add_option("--wake-timeout", timeout,
                    "real seconds to wait for a sleeping device to wake before giving up "
                    "(default 60; 0: give up at once)")
        ->type_name("S")
        ->check(nonNegativeNumber());
}

struct SpawnArguments {
    std::string dir, program;
    std::vector<std::string> arguments;
    double wakeTimeout = kDefaultWakeTimeout;
};

int spawnCommand(const SpawnArguments& options) {
    const std::string root = deviceRoot(options.dir);
    requireBooted(root, options.dir);
    base::SpawnOptions spawn;
    spawn.program = resolveProgram(root, options.program);
    spawn.argv = {options.program};
    spawn.argv.insert(spawn.argv.end(), options.arguments.begin(), options.arguments.end());
    spawn.environment = simd::withDeviceRoot(environmentOffDevice(), root);
    spawn.workingDirectory = root;
    waitUntilAwake(root, options.dir, "spawn", options.program, options.wakeTimeout);
    std::fflush(stdout);  // what simctl printed comes before what the program prints
    std::string error;
    base::ChildProcess program(base::spawn(spawn, &error));
    if (!program.running()) {
        std::fprintf(stderr, "simctl spawn: %s: %s\n", options.program.c_str(), error.c_str());
        return kCannotRunStatus;
    }
    // simd stops the process with the device when it sleeps; it must know it from the start.
    tellSimd(root, wire::Hello{program.pid()});
    // A shutdown that ended the device's processes just before this one started has missed
    // it; it is no process of a device that is down.
    if (!simd::DeviceLock::held(root))
        throw CommandError(options.dir + ": the device shut down as " + options.program +
                           " started; it was ended");
    return program.wait();
}

struct LaunchOptions {
    std::string dir;
    double wakeTimeout = kDefaultWakeTimeout;
};

int launchCommand(const LaunchOptions& options) {
    const std::string& dir = options.dir;
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    const std::string bundle = wire::paths::kAppBundle;
    base::PlistFile info = base::readPlistFile(wire::inRoot(root, bundle + "/Info.plist"));
    const PList::Dictionary* dict = info.dictionary();
    const std::string executable =
        dict ? base::stringAt(*dict, "CFBundleExecutable").value_or("") : "";
    if (executable.empty() || executable.find('/') != std::string::npos)
        throw CommandError(bundle +
                           "/Info.plist names no CFBundleExecutable (is Vigilant installed?)");
    const std::string program = bundle + "/" + executable;
    if (access(wire::inRoot(root, program).c_str(), X_OK) != 0)
        throw CommandError(program + ": no such program on the device");
    waitUntilAwake(root, dir, "launch", "the control app", options.wakeTimeout);
    const auto started =
        askSimd<wire::PidReply>(root, wire::Launch{program, {}, environmentOffDevice()});
    std::printf("%lld\n", static_cast<long long>(started.pid));
    return 0;
}

}  // namespace

void addProcessCommands(CommandLine& line) {
    auto spawned = std::make_shared<SpawnArguments>();
    CLI::App& spawn = line.addCommand(
        "spawn", "run a device program",
        "usage: simctl spawn [--wake-timeout S] DIR PROGRAM [ARGS...]\n"
        "Runs PROGRAM (a device path such as /bin/launchctl) as a device process; its output\n"
        "goes to stdout and its exit status is simctl's. On a sleeping device it starts once\n"
        "the device wakes, or fails after --wake-timeout real seconds.",
        [spawned] { return spawnCommand(*spawned); });
    // After DIR every word is the program's, "--help" too.
    spawn.positionals_at_end();
    addWakeTimeout(spawn, spawned->wakeTimeout);
    addDeviceFolder(spawn, spawned->dir);
    spawn.add_option("PROGRAM", spawned->program, "the program's device path")
        ->required()
        ->type_name("");
    spawn.add_option("ARGS", spawned->arguments, "its arguments")->type_name("");

    auto launched = std::make_shared<LaunchOptions>();
    CLI::App& launch = line.addCommand(
        "launch", "start the control app",
        "Starts the control app (/Applications/VigilantPro.app) in the background as a device\n"
        "process and prints its pid. On a sleeping device it starts once the device wakes, or\n"
        "fails after --wake-timeout real seconds.",
        [launched] { return launchCommand(*launched); });
    addDeviceFolder(launch, launched->dir);
    addWakeTimeout(launch, launched->wakeTimeout);
}

}  // namespace simctl
