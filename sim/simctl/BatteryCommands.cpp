// battery: the device's battery and charger, booted or not.
#include <sim/simd/DeviceLock.h>
#include <wire/BatteryFile.h>
#include <wire/DeviceLimits.h>
#include <wire/messages/Battery.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "CommandLine.h"
#include "Commands.h"
#include "ReplyJson.h"
#include "Simctl.h"

namespace simctl {

namespace {

// Each value as given (already checked); empty when not given.
struct BatteryOptions {
    std::string dir, level, asleep, dark, lit, charge, chargeAbove80;
    bool plug = false, unplug = false;

    wire::SetBattery change() const {
        auto number = [](const std::string& text) {
            return text.empty() ? std::nullopt : std::optional(std::strtod(text.c_str(), nullptr));
        };
        wire::SetBattery m;
        m.level = number(level);
        if (plug || unplug) m.plugged = plug;
        m.asleep = number(asleep);
        m.dark = number(dark);
        m.lit = number(lit);
        m.charge = number(charge);
        m.chargeAbove80 = number(chargeAbove80);
        return m;
    }
    bool changes() const {
        return plug || unplug || !level.empty() || !asleep.empty() || !dark.empty() ||
               !lit.empty() || !charge.empty() || !chargeAbove80.empty();
    }
};

wire::BatteryReply offDevice(const std::string& root, const BatteryOptions& options) {
    std::string error;
    wire::BatteryRecord battery = wire::loadBattery(root, &error);
    if (!error.empty()) std::fprintf(stderr, "simctl: %s; read as a full battery\n", error.c_str());
    if (options.changes()) {
        if (!wire::applyBatteryChange(options.change(), battery, &error)) throw UsageError(error);
        if (!wire::saveBattery(root, battery))
            throw CommandError(options.dir + ": cannot write the battery file");
    }
    return wire::batteryReply(battery);
}

int batteryCommand(const BatteryOptions& options) {
    const std::string root = deviceRoot(options.dir);
    wire::BatteryReply reply;
    if (isBooted(root)) {
        // simd keeps the battery while the device runs: it logs and posts the change.
        reply = options.changes() ? askSimd<wire::BatteryReply>(root, options.change())
                                  : askSimd<wire::BatteryReply>(root, wire::BatteryQuery{});
    } else if (simd::DeviceLock::held(root)) {
        // Booting or shutting down: simd is about to read the file, or to write it.
        throw CommandError(options.dir + ": the device is booting or shutting down; try again");
    } else {
        reply = offDevice(root, options);
    }
    std::printf("%s\n", toJson(reply).dump(2).c_str());
    return 0;
}

}  // namespace

void addBatteryCommand(CommandLine& line) {
    auto given = std::make_shared<BatteryOptions>();
    CLI::App& battery = line.addCommand(
        "battery", "show or set the battery and the charger",
        "Prints the battery as JSON (level rounded down, exactLevel, plugged, state: unplugged,\n"
        "charging or full, and its rates), after setting what the options give, booted or not.\n"
        "The rates are percent of a full charge per device hour: asleep, awake with the screen\n"
        "dark, awake with it lit, and on the charger below and above 80 %. On a booted device\n"
        "the change is logged and posted as com.apple.system.powersources; plugging in wakes a\n"
        "sleeping device.",
        [given] { return batteryCommand(*given); });
    addDeviceFolder(battery, given->dir);
    using namespace wire::limits;
    battery.add_option("--level", given->level, "the charge level, 0 to 100")
        ->type_name("PERCENT")
        ->check(numberWithin(batteryLevelAccepted, "a percentage from 0 to 100"));
    CLI::Option* plug = battery.add_flag("--plug", given->plug, "put the device on the charger");
    CLI::Option* unplug =
        battery.add_flag("--unplug", given->unplug, "take the device off the charger");
    plug->excludes(unplug);
    const std::string bounds = "a rate from " + batteryRateBounds() + " percent an hour";
    for (auto [name, value, what] :
         {std::tuple{"--drain-asleep", &given->asleep, "asleep (default 0.333: 300 h)"},
          std::tuple{"--drain-dark", &given->dark, "awake, screen dark (default 3.33: 30 h)"},
          std::tuple{"--drain-lit", &given->lit, "awake, screen lit (default 20: 5 h)"},
          std::tuple{"--charge", &given->charge, "on the charger up to 80 % (default 60)"},
          std::tuple{"--charge-above-80", &given->chargeAbove80,
                     "on the charger above 80 % (default 30)"}})
        battery.add_option(name, *value, std::string("percent an hour ") + what)
            ->type_name("RATE")
            ->check(numberWithin(batteryRateAccepted, bounds));
}

}  // namespace simctl
