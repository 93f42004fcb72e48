#include <wire/DeviceLimits.h>
#include <wire/DeviceTime.h>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace wire::limits {

namespace {

// Seconds since the reference date of January 1st, 00:00:00 UTC, of `year`.
double startOfYear(int year) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mday = 1;
    return static_cast<double>(timegm(&tm)) - kReferenceDateSince1970;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

bool rateAccepted(double rate) {
    return std::isfinite(rate) && rate >= kMinRate && rate <= kMaxRate;
}

bool idleSleepAccepted(double seconds) {
    return std::isfinite(seconds) && seconds >= 0 && seconds <= kMaxIdleSleep;
}

bool batteryLevelAccepted(double percent) {
    return std::isfinite(percent) && percent >= 0 && percent <= 100;
}

bool batteryRateAccepted(double percentPerHour) {
    return std::isfinite(percentPerHour) && percentPerHour >= 0 &&
           percentPerHour <= kMaxBatteryRate;
}

bool clockTimeAccepted(double referenceSeconds) {
    return std::isfinite(referenceSeconds) && referenceSeconds >= startOfYear(kFirstYear) &&
           referenceSeconds < startOfYear(kLastYear + 1);
}

std::string rateBounds() { return number(kMinRate) + " to " + number(kMaxRate); }

std::string idleSleepBounds() { return "0 to " + number(kMaxIdleSleep); }

std::string clockYears() { return std::to_string(kFirstYear) + " to " + std::to_string(kLastYear); }

std::string batteryRateBounds() { return "0 to " + number(kMaxBatteryRate); }

}  // namespace wire::limits
