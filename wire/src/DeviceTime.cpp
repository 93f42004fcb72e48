#include <wire/DeviceTime.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace wire {

double clampToWritableYears(double referenceSeconds) {
    if (std::isnan(referenceSeconds)) return 0;
    return std::clamp(referenceSeconds, kEarliestWritableTime, kLatestWritableTime);
}

std::string formatDeviceTime(double referenceSeconds) {
    const auto seconds = static_cast<time_t>(
        std::floor(clampToWritableYears(referenceSeconds) + kReferenceDateSince1970));
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

std::optional<double> parseDeviceTime(const std::string& text) {
    if (text.size() != 19 || (text[10] != ' ' && text[10] != 'T')) return std::nullopt;
    for (size_t i : {4u, 7u})
        if (text[i] != '-') return std::nullopt;
    for (size_t i : {13u, 16u})
        if (text[i] != ':') return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 4 || i == 7 || i == 10 || i == 13 || i == 16) continue;
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = std::stoi(text.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(text.substr(5, 2)) - 1;
    tm.tm_mday = std::stoi(text.substr(8, 2));
    tm.tm_hour = std::stoi(text.substr(11, 2));
    tm.tm_min = std::stoi(text.substr(14, 2));
    tm.tm_sec = std::stoi(text.substr(17, 2));
    const std::tm asked = tm;
    const time_t seconds = timegm(&tm);
    // timegm normalises out-of-range fields; a date that moved was not a real one.
    if (tm.tm_year != asked.tm_year || tm.tm_mon != asked.tm_mon || tm.tm_mday != asked.tm_mday ||
        tm.tm_hour != asked.tm_hour || tm.tm_min != asked.tm_min || tm.tm_sec != asked.tm_sec)
        return std::nullopt;
    return static_cast<double>(seconds) - kReferenceDateSince1970;
}

}  // namespace wire
