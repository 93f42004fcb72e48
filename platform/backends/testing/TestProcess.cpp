#include "TestProcess.h"

#include <poll.h>
#include <wire/DeviceTime.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace platform::testing {

namespace {
double referenceSeconds(const std::string& localTime) {
    std::tm tm{};
    char extra = 0;
    if (std::sscanf(localTime.c_str(), "%d-%d-%d %d:%d:%d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &extra) != 6)
        throw std::invalid_argument("not a \"YYYY-MM-DD HH:MM:SS\" time: " + localTime);
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    return static_cast<double>(timegm(&tm)) - wire::kReferenceDateSince1970;
}
}  // namespace

void TestProcess::setTime(const std::string& localTime) {
    setAbsoluteTime(referenceSeconds(localTime));
}

void TestProcess::setWallClock(const std::string& utcTime) {
    setWallClock(referenceSeconds(utcTime));
}

std::string TestProcess::timeText() const {
    std::string text = wire::formatDeviceTime(now_ + wallAhead_);
    const size_t t = text.find('T');
    if (t != std::string::npos) text[t] = ' ';
    return text;
}

std::vector<int> TestProcess::wait(const std::vector<int>& fds, std::optional<double> until) {
    std::vector<pollfd> polled;
    for (int fd : fds) polled.push_back({fd, POLLIN, 0});
    std::vector<int> ready;
    if (!polled.empty() && ::poll(polled.data(), polled.size(), 0) > 0)
        for (const pollfd& p : polled)
            if (p.revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(p.fd);
    // Nothing to serve: the virtual clock jumps to the deadline instead of sleeping.
    if (ready.empty() && until && *until > now_) now_ = *until;
    return ready;
}

}  // namespace platform::testing
