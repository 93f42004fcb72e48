// The program itself: started outside any simulated device it says so and stops, in either
// spelling of the daemon's command line, rather than hanging or crashing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Outcome {
    int status = -1;
    std::string errors;
};

// Runs the program with an empty environment; kills it if it has not ended within a minute.
Outcome runWithoutDevice(std::vector<std::string> args) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    char* envp[] = {nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, VIGILANT_PRO, &actions, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    Outcome outcome;
    if (spawned != 0) {
        close(pipeFds[0]);
        return outcome;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buffer[512];
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, 200) > 0) {
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            outcome.errors.append(buffer, static_cast<size_t>(n));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
    }
    close(pipeFds[0]);
    waitpid(pid, &outcome.status, 0);
    return outcome;
}

TEST(VigilantProProgram, DaemonModeOutsideADeviceSaysSoAndExits69) {
    for (auto args :
         {std::vector<std::string>{"VigilantPro", "darwin"}, std::vector<std::string>{"darwin"}}) {
        const Outcome outcome = runWithoutDevice(args);
        ASSERT_TRUE(WIFEXITED(outcome.status)) << outcome.errors;
        EXPECT_EQ(WEXITSTATUS(outcome.status), 69) << outcome.errors;
        EXPECT_NE(outcome.errors.find("not running on a simulated device"), std::string::npos)
            << outcome.errors;
        EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1)
            << outcome.errors;
    }
}

}  // namespace
