// power, sleep, wake.
#include <sim/simd/PowerMessages.h>
#include <wire/messages/Power.h>

#include <cstdio>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "ReplyJson.h"
#include "Simctl.h"

namespace simctl {

namespace {

// Long enough for a sleep attempt with two rounds of silent clients on a slow clock.
constexpr int kRoundTimeoutMs = 10 * 60 * 1000;

template <wire::Message Reply>
void print(const Reply& reply) {
    std::printf("%s\n", toJson(reply).dump(2).c_str());
}

struct PowerOptions {
    std::string dir, message;
};

int powerCommand(const PowerOptions& options) {
    const std::string root = deviceRoot(options.dir);
    requireBooted(root, options.dir);
    print(askSimd<wire::PowerProbeReply>(root, wire::PowerProbe{options.message}, kRoundTimeoutMs));
    return 0;
}

int sleepCommand(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    print(askSimd<wire::SleepReply>(root, wire::SleepNow{}, kRoundTimeoutMs));
    return 0;
}

int wakeCommand(const std::string& dir) {
    const std::string root = deviceRoot(dir);
    requireBooted(root, dir);
    print(askSimd<wire::PowerStateReply>(root, wire::WakeNow{}));
    return 0;
}

}  // namespace

void addPowerCommands(CommandLine& line) {
    auto probed = std::make_shared<PowerOptions>();
    CLI::App& power = line.addCommand(
        "power", "send one power message to the clients",
        "Sends that one power message to every registered client now and prints the answers.",
        [probed] { return powerCommand(*probed); });
    addDeviceFolder(power, probed->dir);
    power.add_option("MESSAGE", probed->message, "can-sleep, will-sleep or powered-on")
        ->required()
        ->type_name("")
        ->check(valueCheck(
            [](const std::string& word) { return simd::powerMessageFromWord(word).has_value(); },
            "can-sleep, will-sleep or powered-on"));

    line.addDeviceCommand(
        "sleep", "try to sleep now",
        "Makes the sleep attempt the idle timer would make and prints how it ended.", sleepCommand);
    line.addDeviceCommand(
        "wake", "wake up",
        "Wakes the device as if the user pressed the button (awake: restarts the idle time).",
        wakeCommand);
}

}  // namespace simctl
