#include "QuestionStream.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace guard_e2e {

QuestionStream::QuestionStream(const std::string& root) {
    // A short pause between questions keeps the loop from taking a whole processor.
    const std::string loop =
        "while :; do '" SIMCTL_PATH "' power \"$0\" can-sleep; sleep 0.02; done";
    pid_ = fork();
    if (pid_ != 0) {
        if (pid_ > 0) setpgid(pid_, pid_);  // both sides, so neither races the other
        return;
    }
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) _exit(127);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execl("/bin/sh", "sh", "-c", loop.c_str(), root.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

QuestionStream::~QuestionStream() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace guard_e2e
