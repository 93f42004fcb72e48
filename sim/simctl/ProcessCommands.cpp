// spawn, launch.
#include <base/PlistFile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "Simctl.h"

extern char** environ;

namespace simctl {

namespace {

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

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e) out.emplace_back(*e);
    return out;
}

void announce(const std::string& root, pid_t pid) {
    // simd stops the process with the device when it sleeps; it must know it from the start.
    const int fd = wire::connectToService(root, "simd");
    if (fd < 0) return;
    PList::Dictionary hello = request("hello");
    hello.Set("pid", PList::Integer(static_cast<uint64_t>(pid)));
    wire::sendMessage(fd, hello);
    close(fd);
}

}  // namespace

int spawnCommand(const Args& args) {
    if (args.size() < 2) throw UsageError("spawn needs a device folder and a program");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
    const std::string program = resolveProgram(root, args[1]);
    std::vector<std::string> env = currentEnvironment();
    const std::string prefix = std::string(wire::paths::kRootVariable) + "=";
    std::erase_if(env, [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    env.push_back(prefix + root);
    std::vector<char*> argv, envp;
    std::vector<std::string> argStrings(args.begin() + 1, args.end());
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) throw CommandError(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        if (chdir(root.c_str()) != 0) _exit(127);
        execve(program.c_str(), argv.data(), envp.data());
        std::fprintf(stderr, "simctl: cannot run %s: %s\n", args[1].c_str(), std::strerror(errno));
        _exit(127);
    }
    announce(root, pid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int launchCommand(const Args& args) {
    if (args.size() != 1) throw UsageError("launch needs exactly a device folder");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
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
    for (const std::string& e : currentEnvironment()) {
        PList::String entry(e);
        environment.Append(&entry);
    }
    message.Set("environment", environment);
    auto answer = askSimd(root, message);
    std::printf("%lld\n", static_cast<long long>(wire::integerField(*answer, "pid").value_or(0)));
    return 0;
}

}  // namespace simctl
