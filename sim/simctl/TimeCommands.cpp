// set-time, set-timezone: the device's clock and zone, as the network or the owner sets them.
#include <wire/DeviceTime.h>
#include <wire/DeviceZone.h>
#include <wire/Message.h>
#include <wire/messages/Clock.h>

#include <cstdio>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
#include "Simctl.h"

namespace simctl {

namespace {

struct SetTimeOptions {
    std::string dir, time;
};

int setTimeCommand(const SetTimeOptions& options) {
    const std::string root = deviceRoot(options.dir);
    requireBooted(root, options.dir);
    askSimd<wire::Reply>(root, wire::SetTime{wire::parseDeviceTime(options.time)});
    std::printf("set the clock of %s to %s (UTC)\n", options.dir.c_str(), options.time.c_str());
    return 0;
}

struct SetZoneOptions {
    std::string dir, zone;
};

int setTimeZoneCommand(const SetZoneOptions& options) {
    const std::string root = deviceRoot(options.dir);
    if (isBooted(root)) {
        // simd changes it, so the device's processes hear of it.
        askSimd<wire::Reply>(root, wire::SetTimeZone{options.zone});
    } else {
        std::string error;
        if (!wire::setDeviceZone(root, options.zone, &error))
            throw CommandError(options.dir + ": " + error);
    }
    std::printf("%s is in time zone %s\n", options.dir.c_str(), options.zone.c_str());
    return 0;
}

}  // namespace

void addTimeCommands(CommandLine& line) {
    auto timed = std::make_shared<SetTimeOptions>();
    CLI::App& setTime = line.addCommand(
        "set-time", "set the wall clock of a booted device",
        "Sets the booted device's wall clock to TIME (UTC), as the network does: dates jump,\n"
        "wake requests keep their dates, timers keep counting the time that passes. Logged as\n"
        "clock-set and posted to the device's processes as com.apple.system.clock_set.",
        [timed] { return setTimeCommand(*timed); });
    addDeviceFolder(setTime, timed->dir);
    setTime.add_option("TIME", timed->time, "the new wall clock, UTC")
        ->required()
        ->type_name("\"YYYY-MM-DD HH:MM:SS\"")
        ->check(deviceTimeCheck());

    auto zoned = std::make_shared<SetZoneOptions>();
    CLI::App& setZone = line.addCommand(
        "set-timezone", "put the device in another time zone",
        "Puts the device in time zone ZONE of the host's tz database (Europe/Berlin,\n"
        "America/New_York, UTC), booted or not, as the owner does in Settings or the network\n"
        "on arrival. On a booted device it is logged as timezone-changed and posted to the\n"
        "device's processes as com.apple.system.timezone.",
        [zoned] { return setTimeZoneCommand(*zoned); });
    addDeviceFolder(setZone, zoned->dir);
    setZone.add_option("ZONE", zoned->zone, "the zone's name")
        ->required()
        ->type_name("")
        ->check(knownZoneCheck());
}

}  // namespace simctl
