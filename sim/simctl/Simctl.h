// simctl's shared pieces: errors that end a command, the device folder and the talk to simd.
#pragma once

#include <base/LocalSocket.h>
#include <plist/plist++.h>
#include <wire/Message.h>
#include <wire/messages/Device.h>
#include <wire/messages/Replies.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

namespace simctl {

// Ends the command with one line on stderr: UsageError with status 64, CommandError with 1.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct CommandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The canonical root of the device at `dir`; a CommandError when it is none.
std::string deviceRoot(const std::string& dir);
// A connection to the device's service `name` ("simd", "springboard"); invalid when none listens.
base::LocalSocket openService(const std::string& root, const std::string& name);
bool isBooted(const std::string& root);
// A CommandError unless the device is booted.
void requireBooted(const std::string& root, const std::string& dir);

// Sends `message` on `service` and waits (host time) for the reply, refused or not; null when
// none came in time.
std::unique_ptr<PList::Dictionary> exchange(const base::ScopedFd& service,
                                            const PList::Dictionary& message, int timeoutMs);
// Sends `message` to simd and waits for the reply; a CommandError when simd does not answer
// or refuses ({ok: false, error}).
std::unique_ptr<PList::Dictionary> askSimdMessage(const std::string& root,
                                                  const PList::Dictionary& message, int timeoutMs);

// `request` to simd, its reply read as `Answer`.
template <wire::Message Answer, wire::Request Request>
Answer askSimd(const std::string& root, const Request& request, int timeoutMs = 30000) {
    return wire::decode<Answer>(*askSimdMessage(root, wire::encode(request), timeoutMs));
}
// A request answered with a JsonReply: its document, parsed.
template <wire::Request Request>
nlohmann::ordered_json askSimdJson(const std::string& root, const Request& request,
                                   int timeoutMs = 30000) {
    return nlohmann::ordered_json::parse(askSimd<wire::JsonReply>(root, request, timeoutMs).json,
                                         nullptr, false);
}
// Sends a request that has no reply; false when simd is not there to take it.
template <wire::Request Request>
bool tellSimd(const std::string& root, const Request& request) {
    const base::LocalSocket simd = openService(root, wire::kSimdService);
    return simd && wire::send(simd.get(), request);
}

// The folder holding the simctl executable (the build tree's bin/).
std::string toolFolder();

// simctl's own environment ("NAME=value") without SIMDEVICE_ROOT: a program started from it
// belongs to no device until it is given one.
std::vector<std::string> environmentOffDevice();

// Runs a host program (no shell; looked up in PATH) and collects its stdout into `output`
// (null: dropped), or writes it to `outputFd`; the exit status. A CommandError when the
// program cannot be started at all.
int runTool(const std::vector<std::string>& argv, std::string* output);
int runToolInto(const std::vector<std::string>& argv, int outputFd);

}  // namespace simctl
