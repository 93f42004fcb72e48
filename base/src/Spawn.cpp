#include "base/Spawn.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

#include "base/ScopedFd.h"

extern char** environ;

namespace base {

namespace {

[[noreturn]] void failChild(int errorPipe, const char* what) {
    const int code = errno;
    const std::string text = std::string(what) + ": " + std::strerror(code);
    if (::write(errorPipe, text.data(), text.size()) < 0) {
    }
    _exit(127);
}

// Pointers into `strings`, which must outlive them (to the exec).
std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (const std::string& s : strings) out.push_back(const_cast<char*>(s.c_str()));
    out.push_back(nullptr);
    return out;
}

void moveOnto(int fd, int target, int errorPipe, const char* what) {
    if (fd == target) {
        // dup2 onto itself keeps close-on-exec set; clear it instead.
        if (fcntl(fd, F_SETFD, 0) != 0) failChild(errorPipe, what);
    } else if (dup2(fd, target) < 0) {
        failChild(errorPipe, what);
    }
}

}  // namespace

pid_t spawn(const SpawnOptions& options, std::string* error) {
    auto fail = [&](const char* what) {
        if (error) *error = std::string(what) + ": " + std::strerror(errno);
        return -1;
    };
    std::optional<Pipe> report = Pipe::create();
    if (!report) return fail("pipe");
    // Kept alive by these locals until after the exec or the fork's failure.
    const std::vector<std::string> argvStrings =
        options.argv.empty() ? std::vector<std::string>{options.program} : options.argv;
    const std::vector<char*> argv = pointers(argvStrings);
    std::vector<char*> envp;
    if (options.environment) envp = pointers(*options.environment);
    char** const environment = options.environment ? envp.data() : environ;
    const bool searchPath = options.program.find('/') == std::string::npos;

    const pid_t pid = fork();
    if (pid < 0) return fail("fork");
    if (pid == 0) {
        const int errorPipe = report->write.get();
        if (options.group == SpawnOptions::Group::NewGroup) setpgid(0, 0);
        if (options.group == SpawnOptions::Group::NewSession) setsid();
        if (options.defaultSignals) {
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            for (int sig : {SIGTERM, SIGINT, SIGCHLD, SIGPIPE, SIGHUP, SIGQUIT})
                signal(sig, SIG_DFL);
        }
        if (options.nullInput) {
            // Close-on-exec: only the copy on 0 reaches the program.
            const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (in < 0) failChild(errorPipe, "cannot open /dev/null");
            moveOnto(in, 0, errorPipe, "cannot redirect the input");
        }
        const int mode =
            O_WRONLY | O_CREAT | O_CLOEXEC | (options.freshOutput ? O_TRUNC : O_APPEND);
        if (!options.outputPath.empty()) {
            const int out = open(options.outputPath.c_str(), mode, 0644);
            if (out < 0) failChild(errorPipe, "cannot open the output file");
            moveOnto(out, 1, errorPipe, "cannot redirect the output");
            moveOnto(out, 2, errorPipe, "cannot redirect the output");
        }
        if (!options.errorPath.empty()) {
            const int err = open(options.errorPath.c_str(), mode, 0644);
            if (err < 0) failChild(errorPipe, "cannot open the error file");
            moveOnto(err, 2, errorPipe, "cannot redirect the errors");
        }
        if (options.outputFd >= 0) moveOnto(options.outputFd, 1, errorPipe, "cannot redirect");
        for (int fd : options.inheritedFds)
            if (fcntl(fd, F_SETFD, 0) != 0) failChild(errorPipe, "cannot pass a descriptor on");
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            failChild(errorPipe, "cannot enter the working folder");
        if (searchPath)
            execvpe(options.program.c_str(), argv.data(), environment);
        else
            execve(options.program.c_str(), argv.data(), environment);
        failChild(errorPipe, "cannot run the program");
    }
    report->write.reset();
    char buffer[512];
    ssize_t n;
    do {
        n = read(report->read.get(), buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        if (error) *error = std::string(buffer, static_cast<size_t>(n));
        waitForExit(pid);
        return -1;
    }
    return pid;
}

std::optional<int> waitForStatus(pid_t pid) {
    int status = 0;
    pid_t done;
    do {
        done = waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done != pid) return std::nullopt;
    return status;
}

int waitForExit(pid_t pid) {
    const std::optional<int> status = waitForStatus(pid);
    if (!status) return -1;
    return WIFEXITED(*status) ? WEXITSTATUS(*status) : 128 + WTERMSIG(*status);
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitForExit(pid_);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.release()) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        ChildProcess old(std::exchange(pid_, other.release()));
    }
    return *this;
}

int ChildProcess::wait() { return waitForExit(release()); }

pid_t ChildProcess::release() { return std::exchange(pid_, -1); }

}  // namespace base
