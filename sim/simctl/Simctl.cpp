#include "Simctl.h"

#include <base/Spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace simctl {

std::string deviceRoot(const std::string& dir) {
    if (dir.empty()) throw UsageError("no device folder given");
    char resolved[PATH_MAX];
    if (!realpath(dir.c_str(), resolved))
        throw CommandError(dir + ": no such device folder (create it with simctl create)");
    const std::string root = resolved;
    struct stat st {};
    if (stat(wire::inRoot(root, wire::paths::kSystemVersion).c_str(), &st) != 0)
        throw CommandError(dir + ": not a simulated device (create it with simctl create)");
    return root;
}

base::LocalSocket openService(const std::string& root, const std::string& name) {
    return wire::connectToService(root, name);
}

bool isBooted(const std::string& root) { return openService(root, wire::kSimdService).valid(); }

void requireBooted(const std::string& root, const std::string& dir) {
    if (!isBooted(root))
        throw CommandError(dir + ": the device is not booted (simctl boot " + dir + ")");
}

std::unique_ptr<PList::Dictionary> exchange(const base::ScopedFd& service,
                                            const PList::Dictionary& message, int timeoutMs) {
    if (!service || !wire::sendMessage(service.get(), message)) return nullptr;
    return wire::receiveMessageWithin(service.get(), timeoutMs);
}

std::unique_ptr<PList::Dictionary> askSimdMessage(const std::string& root,
                                                  const PList::Dictionary& message, int timeoutMs) {
    const base::LocalSocket simd = openService(root, wire::kSimdService);
    if (!simd) throw CommandError("the device is not booted");
    std::unique_ptr<PList::Dictionary> answer = exchange(simd, message, timeoutMs);
    if (!answer) throw CommandError("the device did not answer (simd is gone or busy)");
    const wire::Reply reply = wire::decode<wire::Reply>(*answer);
    if (!reply.ok) throw CommandError(reply.error.value_or("the device refused the request"));
    return answer;
}

std::string toolFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

std::vector<std::string> environmentOffDevice() {
    const std::string prefix = std::string(wire::paths::kRootVariable) + "=";
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e)
        if (std::string entry = *e; entry.rfind(prefix, 0) != 0) out.push_back(std::move(entry));
    return out;
}

namespace {

base::ChildProcess startTool(const std::vector<std::string>& argv, int outputFd) {
    base::SpawnOptions options;
    options.program = argv.at(0);
    options.argv = argv;
    options.outputFd = outputFd;
    std::string error;
    base::ChildProcess tool(base::spawn(options, &error));
    if (!tool.running()) throw CommandError(argv[0] + ": " + error);
    return tool;
}

}  // namespace

int runTool(const std::vector<std::string>& argv, std::string* output) {
    std::optional<base::Pipe> out = base::Pipe::create();
    if (!out) throw CommandError(argv.at(0) + ": no pipe for its output");
    base::ChildProcess tool = startTool(argv, out->write.get());
    out->write.reset();  // the tool holds the only write end: the read ends when it does
    char buffer[8192];
    ssize_t n;
    while ((n = read(out->read.get(), buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (output) output->append(buffer, static_cast<size_t>(n));
    }
    out->read.reset();  // a tool still writing after a failed read gets SIGPIPE, not a wait
    return tool.wait();
}

int runToolInto(const std::vector<std::string>& argv, int outputFd) {
    return startTool(argv, outputFd).wait();
}

}  // namespace simctl
