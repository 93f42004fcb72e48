#include "Simctl.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

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

bool isBooted(const std::string& root) {
    const int fd = wire::connectToService(root, "simd");
    if (fd < 0) return false;
    close(fd);
    return true;
}

void requireBooted(const std::string& root, const std::string& dir) {
    if (!isBooted(root))
        throw CommandError(dir + ": the device is not booted (simctl boot " + dir + ")");
}

PList::Dictionary request(const std::string& op) {
    PList::Dictionary message;
    message.Set("op", PList::String(op));
    return message;
}

std::unique_ptr<PList::Dictionary> askSimd(const std::string& root, PList::Dictionary& message,
                                           int timeoutMs) {
    const int fd = wire::connectToService(root, "simd");
    if (fd < 0) throw CommandError("the device is not booted");
    const bool sent = wire::sendMessage(fd, message);
    std::unique_ptr<PList::Dictionary> answer =
        sent ? wire::receiveMessageWithin(fd, timeoutMs) : nullptr;
    close(fd);
    if (!answer) throw CommandError("the device did not answer (simd is gone or busy)");
    if (!wire::boolField(*answer, "ok"))
        throw CommandError(wire::stringField(*answer, "error", "the device refused the request"));
    return answer;
}

nlohmann::ordered_json askSimdJson(const std::string& root, const std::string& op, int timeoutMs) {
    PList::Dictionary message = request(op);
    auto answer = askSimd(root, message, timeoutMs);
    return nlohmann::ordered_json::parse(wire::stringField(*answer, "json", "null"), nullptr,
                                         false);
}

std::string toolFolder() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

int runTool(const std::vector<std::string>& argv, std::string* output) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        dup2(out[1], 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::fprintf(stderr, "simctl: cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(out[1]);
    char buffer[8192];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (output) output->append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool wantsHelp(const Args& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

}  // namespace simctl
