// simctl's shared pieces: errors that end a command, the device folder and the talk to simd.
#pragma once

#include <plist/plist++.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace simctl {

using Args = std::vector<std::string>;

// Ends the command with one line on stderr: UsageError with status 64, CommandError with 1.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The canonical root of the device at `dir`; a CommandError when it is none.
std::string deviceRoot(const std::string& dir);
bool isBooted(const std::string& root);
// A CommandError unless the device is booted.
void requireBooted(const std::string& root, const std::string& dir);

// Sends `request` to simd and waits (host time) for the reply; a CommandError when simd does
// not answer or refuses ({ok: false, error}).
std::unique_ptr<PList::Dictionary> askSimd(const std::string& root, PList::Dictionary& request,
                                           int timeoutMs = 30000);
// The reply's "json" field, parsed.
nlohmann::ordered_json askSimdJson(const std::string& root, const std::string& op,
                                   int timeoutMs = 30000);
PList::Dictionary request(const std::string& op);

// The folder holding the simctl executable (the build tree's bin/).
std::string toolFolder();

// Runs a program with arguments (no shell) and collects its stdout; the exit status.
int runTool(const std::vector<std::string>& argv, std::string* output);

// Commands; each returns the exit status.
int createCommand(const Args& args);
int installCommand(const Args& args);
int bootCommand(const Args& args);
int shutdownCommand(const Args& args);
int statusCommand(const Args& args);
int logCommand(const Args& args);
int powerCommand(const Args& args);
int sleepCommand(const Args& args);
int wakeCommand(const Args& args);
int defaultsCommand(const Args& args);
int spawnCommand(const Args& args);
int launchCommand(const Args& args);
int notifyCommand(const Args& args);
int alertCommand(const Args& args);

// --help of a command; empty for unknown commands.
std::string commandHelp(const std::string& command);
bool wantsHelp(const Args& args);

}  // namespace simctl
