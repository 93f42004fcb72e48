// power, sleep, wake.
#include <wire/Wire.h>

#include <cstdio>

#include "PowerMessages.h"
#include "Simctl.h"

namespace simctl {

namespace {
// Long enough for a sleep attempt with two rounds of silent clients on a slow clock.
constexpr int kRoundTimeoutMs = 10 * 60 * 1000;
}  // namespace

int powerCommand(const Args& args) {
    if (args.size() != 2) throw UsageError("power needs a device folder and a message");
    if (!sim::powerMessageFromWord(args[1]))
        throw UsageError("power wants can-sleep, will-sleep or powered-on, not \"" + args[1] +
                         "\"");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
    PList::Dictionary message = request("power-probe");
    message.Set("message", PList::String(args[1]));
    auto answer = askSimd(root, message, kRoundTimeoutMs);
    std::printf("%s\n", nlohmann::ordered_json::parse(wire::stringField(*answer, "json", "null"),
                                                      nullptr, false)
                            .dump(2)
                            .c_str());
    return 0;
}

int sleepCommand(const Args& args) {
    if (args.size() != 1) throw UsageError("sleep needs exactly a device folder");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
    std::printf("%s\n", askSimdJson(root, "sleep", kRoundTimeoutMs).dump(2).c_str());
    return 0;
}

int wakeCommand(const Args& args) {
    if (args.size() != 1) throw UsageError("wake needs exactly a device folder");
    const std::string root = deviceRoot(args[0]);
    requireBooted(root, args[0]);
    std::printf("%s\n", askSimdJson(root, "wake").dump(2).c_str());
    return 0;
}

}  // namespace simctl
