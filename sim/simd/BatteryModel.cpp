#include "BatteryModel.h"

#include <algorithm>
#include <cmath>

namespace simd {

namespace {

constexpr double kHour = 3600;
constexpr double kKnee = 80;  // the charge slows above it, as a lithium cell's does
// Levels this close to a whole percent are that percent: the deadline of a crossing, worked
// out in seconds and back, must not leave the level a hair short of it.
constexpr double kSnap = 1e-7;

double snapped(double level) {
    const double whole = std::round(level);
    return std::abs(level - whole) < kSnap ? whole : level;
}

// `level` after `seconds` on the charger at `below` (under the knee) and `above` percent/hour.
double charged(double level, double seconds, double below, double above) {
    if (level < kKnee) {
        if (below <= 0) return level;
        const double toKnee = (kKnee - level) / below * kHour;
        if (seconds <= toKnee) return level + below * seconds / kHour;
        level = kKnee;
        seconds -= toKnee;
    }
    return std::min(100.0, level + above * seconds / kHour);
}

}  // namespace

double BatteryModel::drainRate(bool lit) const {
    const wire::BatteryRates& r = record_.rates;
    return (conditions_.asleep ? r.asleep : lit ? r.lit : r.dark) / kHour;
}

double BatteryModel::levelAt(double t) const {
    const double seconds = std::max(0.0, t - since_);
    const double level = record_.level;
    if (record_.plugged)
        return charged(level, seconds, record_.rates.charge, record_.rates.chargeAbove80);
    const double litSeconds =
        conditions_.asleep ? 0 : std::clamp(conditions_.litUntil - since_, 0.0, seconds);
    const double used = drainRate(true) * litSeconds + drainRate(false) * (seconds - litSeconds);
    return std::max(0.0, level - used);
}

void BatteryModel::settle(double now) {
    if (now <= since_) return;
    record_.level = snapped(levelAt(now));
    since_ = now;
}

void BatteryModel::setConditions(const Conditions& conditions, double now) {
    settle(now);
    conditions_ = conditions;
}

void BatteryModel::setRecord(const wire::BatteryRecord& record, double now) {
    settle(now);
    record_ = record;
}

std::optional<double> BatteryModel::timeToReach(double target) const {
    const double level = record_.level;
    const wire::BatteryRates& r = record_.rates;
    if (record_.plugged) {
        if (target <= level) return std::nullopt;
        double seconds = 0, from = level;
        if (from < kKnee) {
            if (r.charge <= 0) return std::nullopt;
            const double upTo = std::min(target, kKnee);
            seconds += (upTo - from) / r.charge * kHour;
            from = upTo;
        }
        if (target > from) {
            if (r.chargeAbove80 <= 0) return std::nullopt;
            seconds += (target - from) / r.chargeAbove80 * kHour;
        }
        return seconds;
    }
    if (target >= level) return std::nullopt;
    double seconds = 0, from = level;
    const double litSeconds = conditions_.asleep ? 0 : std::max(0.0, conditions_.litUntil - since_);
    if (litSeconds > 0 && drainRate(true) > 0) {
        const double needed = (from - target) / drainRate(true);
        if (needed <= litSeconds) return needed;
        from -= drainRate(true) * litSeconds;
        seconds = litSeconds;
    } else if (litSeconds > 0) {
        if (std::isinf(litSeconds)) return std::nullopt;
        seconds = litSeconds;
    }
    if (drainRate(false) <= 0) return std::nullopt;
    return seconds + (from - target) / drainRate(false);
}

std::optional<double> BatteryModel::nextWholePercent() const {
    const double level = record_.level;
    const bool whole = level == std::floor(level);
    const double target = record_.plugged ? std::floor(level) + 1
                          : whole         ? level - 1
                                          : std::floor(level);
    if (target < 0 || target > 100) return std::nullopt;
    const std::optional<double> seconds = timeToReach(target);
    if (!seconds) return std::nullopt;
    return since_ + *seconds;
}

}  // namespace simd
