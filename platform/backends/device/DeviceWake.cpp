#include "DeviceWake.h"

#include <wire/messages/Wake.h>

#include "DeviceLinks.h"

namespace platform::device {

namespace {
template <class Booking>
bool request(double date, const std::string& identifier) {
    Booking m;
    m.time = date;
    m.identifier = identifier;
    m.pid = DeviceLinks::pid();
    auto reply = DeviceLinks::instance().simd().request<wire::WakeReply>(m, kReplyTimeoutMs);
    return reply && reply->ok;
}
}  // namespace

DeviceWake& DeviceWake::instance() {
    static DeviceWake* wake = new DeviceWake;  // never destroyed, as the links
    return *wake;
}

bool DeviceWake::schedule(double date, const std::string& identifier) {
    return request<wire::ScheduleWake>(date, identifier);
}

bool DeviceWake::cancel(double date, const std::string& identifier) {
    return request<wire::CancelWake>(date, identifier);
}

}  // namespace platform::device
