#include "PlainCommand.h"

#include <base/ScopedFd.h>
#include <base/Spawn.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

namespace libsystem {
namespace {

// The programs started for open streams, as glibc keeps its popen children.
class Children {
  public:
    void add(FILE* stream, pid_t pid) {
        const std::lock_guard lock(mutex_);
        pids_[stream] = pid;
    }
    std::optional<pid_t> take(FILE* stream) {
        const std::lock_guard lock(mutex_);
        const auto found = pids_.find(stream);
        if (found == pids_.end()) return std::nullopt;
        const pid_t pid = found->second;
        pids_.erase(found);
        return pid;
    }

  private:
    std::mutex mutex_;
    std::map<FILE*, pid_t> pids_;
};

Children& children() {
    static Children* const all = new Children;  // lives as long as the process
    return *all;
}

// A program's path first (not a builtin or an assignment), then words of letters, digits and
// the punctuation of paths and options only: nothing the shell would expand, redirect, quote
// or join.
bool isPlainCommand(const std::string& command) {
    if (command.empty() || command.front() != '/') return false;
    return std::all_of(command.begin(), command.end(), [](unsigned char c) {
        return std::isalnum(c) || (c != '\0' && std::strchr(" \t/._-+,:@%=", c) != nullptr);
    });
}

}  // namespace

FILE* openPlainCommand(const std::string& command, const char* modes) {
    if (!isPlainCommand(command) || !modes) return nullptr;
    if (std::strcmp(modes, "r") != 0 && std::strcmp(modes, "re") != 0) return nullptr;

    std::vector<std::string> words;
    std::istringstream split(command);
    for (std::string word; split >> word;) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // Both ends close on exec: the program gets its end as its output alone, and no later child
    // of the caller inherits the caller's end.
    std::optional<base::Pipe> pipe = base::Pipe::create();
    if (!pipe) return nullptr;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe->write.get(), STDOUT_FILENO);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return nullptr;
    pipe->write.reset();
    FILE* stream = fdopen(pipe->read.get(), "r");
    if (!stream) {
        pipe->read.reset();
        base::waitForStatus(pid);  // its output goes nowhere; it ends
        return nullptr;
    }
    pipe->read.release();  // the stream's now
    children().add(stream, pid);
    return stream;
}

std::optional<int> closePlainCommand(FILE* stream) {
    const std::optional<pid_t> pid = children().take(stream);
    if (!pid) return std::nullopt;
    std::fclose(stream);
    return base::waitForStatus(*pid).value_or(-1);
}

}  // namespace libsystem
