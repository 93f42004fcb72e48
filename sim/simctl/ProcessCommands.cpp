// spawn, launch.
#include <base/PlistFile.h>
#include <base/Spawn.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

#include <cstdio>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "Processes.h"
#include "Simctl.h"

namespace simctl {

namespace {

// A program that could not be started, as a shell reports it.
constexpr int kCannotRunStatus = 127;

// A device path resolves under the root; a path that is not on the device but on the host
// (a test program of the build tree, say) runs as it is, as the platform's popen does.
std::string resolveProgram(const std::string& root, const std::string& program) {
    if (program.empty() || program.front() != '/')
        throw UsageError("the program must be a device path such as /bin/launchctl, not \"" +
                         program + "\"");
    const std::string inside = wire::resolveDeviceArgument(root, program);
    if (access(inside.c_str(), X_OK) == 0) return inside;
    if (access(program.c_str(), X_OK) == 0) return program;
    throw CommandError(program + ": no such program on the device");
}

void announce(const std::string& root, pid_t pid) {
    // simd stops the process with the device when it sleeps; it must know it from the start.
    const base::ScopedFd simd = openService(root, "simd");
    if (!simd) return;
    PList::Dictionary hello = request("hello");
    hello.Set("pid", PList::Integer(static_cast<uint64_t>(pid)));
    wire::sendMessage(simd.get(), hello);
}

struct SpawnArguments {
    std::string dir, program;
    std::vector<std::string> arguments;
};

int spawnCommand(const SpawnArguments& options) {
    const std::string root = deviceRoot(options.dir);
    requireBooted(root, options.dir);
    base::SpawnOptions spawn;
    spawn.program = resolveProgram(root, options.program);
    spawn.argv = {options.program};
    spawn.argv.insert(spawn.argv.end(), options.arguments.begin(), options.arguments.end());
    spawn.environment = sim::withDeviceRoot(environmentOffDevice(), root);
    spawn.workingDirectory = root;
    std::fflush(stdout);  // what simctl printed comes before what the program prints
    std::string error;
    base::ChildProcess program(base::spawn(spawn, &error));
    if (!program.running()) {
        std::fprintf(stderr, "simctl spawn: %s: %s\n", options.program.c_str(), error.c_str());
        return kCannotRunStatus;
    }
    announce(root, program.pid());
    return program.wait();
}

int launchCommand(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    const std::string bundle = wire::paths::kAppBundle;
    base::PlistFile info = base::readPlistFile(wire::inRoot(root, bundle + "/Info.plist"));
    const PList::Dictionary* dict = info.dictionary();
    const PList::String* executable = dict ? base::stringAt(*dict, "CFBundleExecutable") : nullptr;
    if (!executable || executable->GetValue().empty() ||
        executable->GetValue().find('/') != std::string::npos)
        throw CommandError(bundle +
                           "/Info.plist names no CFBundleExecutable (is Vigilant installed?)");
    const std::string program = bundle + "/" + executable->GetValue();
    if (access(wire::inRoot(root, program).c_str(), X_OK) != 0)
        throw CommandError(program + ": no such program on the device");
    PList::Dictionary message = request("launch");
    message.Set("program", PList::String(program));
    PList::Array environment;
    for (const std::string& e : environmentOffDevice()) {
        PList::String entry(e);
        environment.Append(&entry);
    }
    message.Set("environment", environment);
    auto answer = askSimd(root, message);
    std::printf("%lld\n", static_cast<long long>(wire::integerField(*answer, "pid").value_or(0)));
    return 0;
}

}  // namespace

void addProcessCommands(CommandLine& line) {
    auto spawned = std::make_shared<SpawnArguments>();
    CLI::App& spawn = line.addCommand(
        "spawn", "run a device program",
        "Runs PROGRAM (a device path such as /bin/launchctl) as a device process; its output\n"
        "goes to stdout and its exit status is simctl's.",
        [spawned] { return spawnCommand(*spawned); });
    // After DIR every word is the program's, "--help" too.
    spawn.positionals_at_end();
    addDeviceFolder(spawn, spawned->dir);
    spawn.add_option("PROGRAM", spawned->program, "the program's device path")
        ->required()
        ->type_name("");
    spawn.add_option("ARGS", spawned->arguments, "its arguments")->type_name("");

    line.addDeviceCommand(
        "launch", "start the control app",
        "Starts the control app (/Applications/VigilantPro.app) in the background as a device\n"
        "process and prints its pid.",
        launchCommand);
}

}  // namespace simctl
