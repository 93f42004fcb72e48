// powerd, the phone's power daemon, on simd's socket: its clients are connections registered
// for power messages (pushed to them, answered on them), it stops and resumes the device's
// processes, sleeps until the earliest wake booking and writes its events as "powerd".
#pragma once

#include <sys/types.h>
#include <wire/messages/Power.h>

#include <map>

#include "DeviceProcesses.h"
#include "EventWriter.h"
#include "PowerManager.h"
#include "Server.h"
#include "WakeBookings.h"

namespace simd {

class Powerd : public PowerHost {
  public:
    Powerd(Server& server, DeviceProcesses& processes, WakeBookings& wakes, EventWriter& log,
           Clock now, PowerManager::Settings settings);
    Powerd(const Powerd&) = delete;
    Powerd& operator=(const Powerd&) = delete;

    PowerManager& manager() { return manager_; }
    const PowerManager& manager() const { return manager_; }

    // Requests.
    void registerClient(const Caller& caller, const wire::PowerRegister& request);
    void answer(const Caller& caller, const wire::PowerAnswer& request);
    void deregister(const Caller& caller, const wire::PowerDeregister& request);
    void probe(const Caller& caller, const wire::PowerProbe& request);
    void sleep(const Caller& caller, const wire::SleepNow& request);
    void wake(const Caller& caller, const wire::WakeNow& request);
    void userActivity(const Caller& caller, const wire::UserActivity& request);
    // A connection closed: its client, if it was one, is gone.
    void connectionClosed(ConnectionId connection);

    // PowerHost
    void sendPowerMessage(PowerClientId client, uint32_t message, long argument) override;
    void suspendDevice() override { processes_.suspend(); }
    void resumeDevice() override { processes_.resume(); }
    std::optional<wire::WakeRequest> nextWakeRequest(double after) override {
        return wakes_.next(after);
    }
    void powerEvent(const std::string& event, nlohmann::ordered_json fields) override;

  private:
    std::string powerState() const { return manager_.asleep() ? "asleep" : "awake"; }

    Server& server_;
    DeviceProcesses& processes_;
    WakeBookings& wakes_;
    EventWriter& log_;
    Clock now_;
    PowerManager manager_;
    std::map<ConnectionId, PowerClientId> clients_;
    PowerClientId nextClient_ = 1;
};

}  // namespace simd
