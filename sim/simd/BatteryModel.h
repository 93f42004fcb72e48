// The battery as a function of device time: a level at an anchor time, and what the device
// has been doing since (asleep, awake with the screen lit until a known time and dark after,
// on the charger or not). The level at any later time is worked out from that, not ticked, so
// a device clock that runs a thousand times as fast costs no more than one that runs at one.
// Whoever changes the conditions settles the battery at the time of the change first.
#pragma once

#include <wire/messages/Battery.h>

#include <limits>
#include <optional>

namespace simd {

class BatteryModel {
  public:
    struct Conditions {
        bool asleep = false;
        // Awake, the screen is lit before this time and dark from it.
        double litUntil = -std::numeric_limits<double>::infinity();
    };

    BatteryModel(wire::BatteryRecord record, double now) : record_(record), since_(now) {}

    // The level at `t` (not before the anchor).
    double levelAt(double t) const;
    // Moves the anchor to `now`, the level with it.
    void settle(double now);
    // Settles at `now`, then the device goes on under `conditions`.
    void setConditions(const Conditions& conditions, double now);
    void setRecord(const wire::BatteryRecord& record, double now);
    // The wall clock jumped: the anchor moves with it, so the jump costs no charge.
    void clockSet(double jump) { since_ += jump; }

    // The next time the level reaches a whole percent (draining or charging), from the anchor;
    // none when it never changes (full on the charger, empty, or a rate of 0).
    std::optional<double> nextWholePercent() const;

    // At the anchor.
    const wire::BatteryRecord& record() const { return record_; }
    double level() const { return record_.level; }
    bool empty() const { return !record_.plugged && record_.level <= 0; }

  private:
    // Percent per second.
    double drainRate(bool lit) const;
    // Seconds from the anchor until the level is `target`; none when it never is.
    std::optional<double> timeToReach(double target) const;

    wire::BatteryRecord record_;
    double since_;
    Conditions conditions_;
};

}  // namespace simd
