#include "QuestionStream.h"

#include <base/Spawn.h>
#include <signal.h>

namespace guard_e2e {

QuestionStream::QuestionStream(const std::string& root) {
    // A short pause between questions keeps the loop from taking a whole processor.
    const std::string loop =
        "while :; do '" SIMCTL_PATH "' power \"$0\" can-sleep; sleep 0.02; done";
    base::SpawnOptions options;
    options.program = "/bin/sh";
    options.argv = {"sh", "-c", loop, root};
    options.nullInput = true;
    options.outputPath = "/dev/null";
    options.group = base::SpawnOptions::Group::NewGroup;
    pid_ = base::spawn(options, nullptr);
}

QuestionStream::~QuestionStream() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGKILL);
    base::waitForExit(pid_);
}

}  // namespace guard_e2e
