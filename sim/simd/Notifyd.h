// notifyd, the phone's Darwin notification centre: connections registered for a name get
// every post of it pushed to them, whoever posted it (a device process, or simd itself after
// a clock or zone change). A registration lasts as long as its connection.
#pragma once

#include <wire/messages/Notify.h>

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "Server.h"

namespace simd {

class Notifyd {
  public:
    explicit Notifyd(Server& server) : server_(server) {}

    // Pushes `name` to every connection registered for it.
    void post(std::string_view name);

    // Requests.
    void registerClient(const Caller& caller, const wire::NotifyRegister& request);
    void postFrom(const Caller& caller, const wire::NotifyPost& request);
    // A connection closed: its registrations go with it.
    void connectionClosed(ConnectionId connection) { names_.erase(connection); }

  private:
    Server& server_;
    std::map<ConnectionId, std::set<std::string, std::less<>>> names_;
};

}  // namespace simd
