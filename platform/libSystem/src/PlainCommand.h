// popen without the shell for a command the shell would only start: a program's path and
// plain words. The phone's shell runs such a lone simple command as its own exec; starting the
// program directly is the same process with the same arguments, output and status, one program
// start sooner (the control app waits for `launchctl list` before its first frame).
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace libsystem {

// The started program's output, as popen gives it for `modes` "r" or "re"; null when the
// command is not plain (a program's path, then words the shell would neither expand, redirect,
// quote nor join), the modes are others, or the program cannot be started, and the shell is
// left to run it (and to say why it cannot).
FILE* openPlainCommand(const std::string& command, const char* modes);

// pclose for a stream openPlainCommand gave: the program's wait status once it has ended;
// nothing for any other stream.
std::optional<int> closePlainCommand(FILE* stream);

}  // namespace libsystem
