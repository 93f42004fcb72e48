#include "Processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>

namespace sim {

namespace {

[[noreturn]] void failChild(int errorPipe, const char* what) {
    const int code = errno;
    std::string text = std::string(what) + ": " + std::strerror(code);
    if (::write(errorPipe, text.data(), text.size()) < 0) {
    }
    _exit(127);
}

std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (const std::string& s : strings) out.push_back(const_cast<char*>(s.c_str()));
    out.push_back(nullptr);
    return out;
}

}  // namespace

pid_t spawnProcess(const ProcessLaunch& launch, std::string* error) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        if (error) *error = std::string("pipe: ") + std::strerror(errno);
        return -1;
    }
    // Everything the child needs is prepared before fork: it only makes system calls.
    std::vector<char*> argv =
        pointers(launch.argv.empty() ? std::vector{launch.program} : launch.argv);
    std::vector<std::string> envStrings = launch.environment;
    std::vector<char*> envp = pointers(envStrings);
    const pid_t pid = fork();
    if (pid < 0) {
        if (error) *error = std::string("fork: ") + std::strerror(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        close(pipeFds[0]);
        if (launch.newProcessGroup) setpgid(0, 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig : {SIGTERM, SIGINT, SIGCHLD, SIGPIPE, SIGHUP, SIGQUIT}) signal(sig, SIG_DFL);
        if (launch.nullInput) {
            const int in = open("/dev/null", O_RDONLY);
            if (in >= 0 && in != 0) {
                dup2(in, 0);
                close(in);
            }
        }
        if (!launch.outputPath.empty()) {
            const int out = open(launch.outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out < 0) failChild(pipeFds[1], "cannot open the output file");
            dup2(out, 1);
            dup2(out, 2);
            if (out > 2) close(out);
        }
        if (!launch.workingDirectory.empty() && chdir(launch.workingDirectory.c_str()) != 0)
            failChild(pipeFds[1], "cannot enter the working folder");
        execve(launch.program.c_str(), argv.data(), envp.data());
        failChild(pipeFds[1], "cannot run the program");
    }
    close(pipeFds[1]);
    char buffer[512];
    ssize_t n;
    do {
        n = read(pipeFds[0], buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    close(pipeFds[0]);
    if (n > 0) {
        if (error) *error = std::string(buffer, static_cast<size_t>(n));
        int status = 0;
        waitpid(pid, &status, 0);
        return -1;
    }
    return pid;
}

std::vector<std::string> deviceEnvironment(const std::string& hostRoot) {
    return {std::string(wire::paths::kRootVariable) + "=" + hostRoot, "PATH=/usr/bin:/bin",
            "TZ=UTC", "LANG=C.UTF-8"};
}

std::vector<std::string> withDeviceRoot(std::vector<std::string> base,
                                        const std::string& hostRoot) {
    const std::string prefix = std::string(wire::paths::kRootVariable) + "=";
    std::erase_if(base, [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    base.push_back(prefix + hostRoot);
    return base;
}

namespace {
bool environmentNamesRoot(pid_t pid, const std::string& wanted) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    if (!in) return false;
    std::string entry;
    while (std::getline(in, entry, '\0'))
        if (entry == wanted) return true;
    return false;
}
}  // namespace

std::vector<pid_t> findDeviceProcesses(const std::string& hostRoot) {
    std::vector<pid_t> found;
    const std::string wanted = std::string(wire::paths::kRootVariable) + "=" + hostRoot;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    const pid_t self = getpid();
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (!end || *end != '\0' || pid <= 0 || pid == self) continue;
        if (environmentNamesRoot(static_cast<pid_t>(pid), wanted) &&
            processAlive(static_cast<pid_t>(pid)))
            found.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return found;
}

namespace {
// Fields of /proc/PID/stat after the command name (which may hold spaces and parentheses).
std::optional<std::vector<std::string>> statFields(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::vector<std::string> fields;
    size_t pos = close + 1;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        const size_t end = text.find(' ', pos);
        fields.push_back(text.substr(pos, end - pos));
        if (end == std::string::npos) break;
        pos = end;
    }
    return fields;
}
}  // namespace

std::optional<unsigned long long> processStartTicks(pid_t pid) {
    auto fields = statFields(pid);
    // After the name: state is field 3 of the file (index 0 here), starttime field 22.
    if (!fields || fields->size() < 20) return std::nullopt;
    return std::stoull((*fields)[19]);
}

bool processAlive(pid_t pid) {
    auto fields = statFields(pid);
    return fields && !fields->empty() && (*fields)[0] != "Z" && (*fields)[0] != "X";
}

bool sameProcess(pid_t pid, unsigned long long startTicks) {
    auto ticks = processStartTicks(pid);
    return ticks && *ticks == startTicks && processAlive(pid);
}

}  // namespace sim
