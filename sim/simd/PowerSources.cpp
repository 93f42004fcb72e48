#include "PowerSources.h"

#include <wire/BatteryFile.h>
#include <wire/events/Powerd.h>
#include <wire/messages/Notify.h>

#include <cmath>
#include <cstdio>

namespace simd {

PowerSources::PowerSources(std::string hostRoot, const wire::BatteryRecord& battery,
                           PowerManager& power, Notifyd& notify, EventWriter& log, Clock now)
    : root_(std::move(hostRoot)),
      power_(power),
      notify_(notify),
      log_(log),
      now_(std::move(now)),
      model_(battery, now_()) {
    model_.setConditions(conditions(), now_());
}

BatteryModel::Conditions PowerSources::conditions() const {
    return {power_.asleep(), power_.litUntil()};
}

bool PowerSources::advance(double now) {
    const double before = model_.level();
    model_.setConditions(conditions(), now);
    const double after = model_.level();
    // Every whole percent passed since the last look, in the order the level passed them.
    bool crossed = false;
    if (after < before) {
        for (double w = std::ceil(before) - 1; w >= std::ceil(after); --w, crossed = true)
            levelReached(static_cast<int>(w), static_cast<int>(w) - 1);
    } else if (after > before) {
        for (double w = std::floor(before) + 1; w <= std::floor(after); ++w, crossed = true)
            levelReached(static_cast<int>(w), static_cast<int>(w));
    }
    if (crossed) changed();
    if (!model_.empty()) return false;
    if (!emptyLogged_) {
        emptyLogged_ = true;
        log_.write(wire::events::BatteryEmpty{});
    }
    return true;
}

void PowerSources::levelReached(int level, int reads) {
    log_.write(wire::events::BatteryLevel{level, reads});
}

void PowerSources::changed() {
    save();
    notify_.post(wire::kPowerSourcesNotification);
}

void PowerSources::keep(double now) {
    model_.settle(now);
    save();
}

void PowerSources::save() {
    if (!wire::saveBattery(root_, model_.record()))
        std::fprintf(stderr, "simd: cannot write the battery file\n");
}

wire::BatteryStatus PowerSources::status(double now) const {
    wire::BatteryRecord battery = model_.record();
    battery.level = model_.levelAt(now);
    return wire::batteryStatus(battery);
}

void PowerSources::query(const Caller& caller, const wire::BatteryQuery&) {
    advance(now_());
    caller.reply(wire::batteryReply(model_.record()));
}

void PowerSources::set(const Caller& caller, const wire::SetBattery& request) {
    const double now = now_();
    advance(now);
    wire::BatteryRecord battery = model_.record();
    std::string error;
    if (!wire::applyBatteryChange(request, battery, &error)) return caller.refuse(error);
    const bool plugging = battery.plugged != model_.record().plugged;
    model_.setRecord(battery, now);
    if (request.level) {
        const int level = static_cast<int>(std::floor(battery.level));
        levelReached(level, level);
        emptyLogged_ = false;
    }
    if (plugging) {
        log_.write(wire::events::PowerSource{battery.plugged, wire::batteryState(battery)});
        if (battery.plugged) power_.powerSourcePlugged(now);
        model_.setConditions(conditions(), now);
    }
    changed();
    caller.reply(wire::batteryReply(model_.record()));
}

}  // namespace simd
