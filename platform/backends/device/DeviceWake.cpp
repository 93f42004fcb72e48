#include "DeviceWake.h"

#include <wire/Wire.h>

#include "DeviceLinks.h"

namespace platform::device {

namespace {
bool request(const std::string& op, double date, const std::string& identifier) {
    PList::Dictionary m = DeviceLinks::message(op);
    m.Set("time", PList::Real(date));
    m.Set("identifier", PList::String(identifier));
    DeviceLinks::addPid(m);
    auto reply = DeviceLinks::instance().simd().request(m, kReplyTimeoutMs);
    return reply && wire::boolField(*reply, "ok");
}
}  // namespace

DeviceWake& DeviceWake::instance() {
    static DeviceWake* wake = new DeviceWake;  // never destroyed, as the links
    return *wake;
}

bool DeviceWake::schedule(double date, const std::string& identifier) {
    return request("schedule-wake", date, identifier);
}

bool DeviceWake::cancel(double date, const std::string& identifier) {
    return request("cancel-wake", date, identifier);
}

}  // namespace platform::device
