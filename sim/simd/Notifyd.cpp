#include "Notifyd.h"

namespace simd {

void Notifyd::post(std::string_view name) {
    const wire::NotifyDelivery delivery{{std::string(name)}};
    for (const auto& [connection, names] : names_)
        if (names.contains(name)) server_.send(connection, delivery);
}

void Notifyd::registerClient(const Caller& caller, const wire::NotifyRegister& request) {
    if (request.name.empty()) return caller.refuse("notify-register needs a name");
    names_[caller.connection()].insert(request.name);
    caller.reply(wire::Reply::accepted());
}

void Notifyd::postFrom(const Caller&, const wire::NotifyPost& request) {
    if (!request.name.empty()) post(request.name);
}

}  // namespace simd
