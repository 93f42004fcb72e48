#include "Powerd.h"

#include <wire/events/Powerd.h>

#include <chrono>

#include "PowerMessages.h"

namespace simd {

using nlohmann::ordered_json;
namespace events = wire::events;

Powerd::Powerd(Server& server, DeviceProcesses& processes, WakeBookings& wakes, EventWriter& log,
               Clock now, PowerManager::Settings settings)
    : server_(server),
      processes_(processes),
      wakes_(wakes),
      log_(log),
      now_(std::move(now)),
      manager_(*this, settings, now_()) {}

void Powerd::registerClient(const Caller& caller, const wire::PowerRegister& request) {
    const pid_t pid = caller.pidOr(request.pid);
    auto it = clients_.find(caller.connection());
    if (it == clients_.end()) {
        it = clients_.emplace(caller.connection(), nextClient_++).first;
        manager_.addClient(it->second, pid);
        log_.write(events::ClientRegistered{pid});
    }
    processes_.remember(pid);
    caller.reply(wire::PowerRegistered{true, it->second});
}

void Powerd::answer(const Caller& caller, const wire::PowerAnswer& request) {
    const auto it = clients_.find(caller.connection());
    if (it != clients_.end() && request.argument)
        manager_.answer(it->second, static_cast<long>(*request.argument), request.allow, now_());
    else
        log_.write(events::StrayAnswer{.pid = caller.pid(), .reason = "not registered for power"});
}

void Powerd::deregister(const Caller& caller, const wire::PowerDeregister&) {
    const auto it = clients_.find(caller.connection());
    if (it == clients_.end()) return;
    log_.write(events::ClientDeregistered{caller.pid()});
    const PowerClientId client = it->second;
    clients_.erase(it);
    manager_.removeClient(client, now_());
}

void Powerd::connectionClosed(ConnectionId connection) {
    const auto it = clients_.find(connection);
    if (it == clients_.end()) return;
    const PowerClientId client = it->second;
    clients_.erase(it);
    manager_.removeClient(client, now_());
}

void Powerd::probe(const Caller& caller, const wire::PowerProbe& request) {
    const auto code = powerMessageFromWord(request.message);
    if (!code) return caller.refuse("unknown power message \"" + request.message + "\"");
    // Host time from taking the request (the message goes out at once unless another round is
    // under way) to the last answer: what one question costs, for the round-trip benchmark.
    const auto taken = std::chrono::steady_clock::now();
    manager_.probe(*code, now_(), [caller, taken](const PowerRound& round) {
        if (!round.error.empty()) return caller.refuse(round.error);
        const std::chrono::duration<double, std::micro> spent =
            std::chrono::steady_clock::now() - taken;
        wire::PowerProbeReply reply{true,
                                    powerMessageName(round.message),
                                    round.argument,
                                    {round.clients.begin(), round.clients.end()}};
        for (const PowerAnswerRecord& a : round.answers)
            reply.answers.push_back({a.pid, !a.answered ? "none" : a.allow ? "allow" : "cancel"});
        reply.roundTripMicros = spent.count();
        caller.reply(reply);
    });
}

void Powerd::sleep(const Caller& caller, const wire::SleepNow&) {
    manager_.requestSleep(now_(), [caller](PowerManager::SleepOutcome outcome,
                                           const std::vector<int>& cancelledBy) {
        const char* result = outcome == PowerManager::SleepOutcome::Slept       ? "asleep"
                             : outcome == PowerManager::SleepOutcome::Cancelled ? "cancelled"
                                                                                : "already-asleep";
        caller.reply(wire::SleepReply{true, result, {cancelledBy.begin(), cancelledBy.end()}});
    });
}

void Powerd::wake(const Caller& caller, const wire::WakeNow&) {
    manager_.requestWake(now_());
    caller.reply(wire::PowerStateReply{true, powerState()});
}

void Powerd::userActivity(const Caller&, const wire::UserActivity&) {
    manager_.userActivity(now_());
}

void Powerd::sendPowerMessage(PowerClientId client, uint32_t message, long argument) {
    for (const auto& [connection, id] : clients_)
        if (id == client) return server_.send(connection, wire::PowerMessage{message, argument});
}

void Powerd::powerEvent(const std::string& event, ordered_json fields) {
    log_.write(std::string(events::kPowerdSource), event, fields);
}

}  // namespace simd
