// simd, the simulated device's system process: the clock, launchd, the power manager, the
// AppSupport wake bookings and the event log, serving every device process over the root's
// simd.sock. Single-threaded: one poll loop over the sockets, a signalfd and the deadlines of
// the power manager and launchd (device times, converted to host times through the clock).
#pragma once

#include <sys/types.h>
#include <wire/DeviceClock.h>
#include <wire/Wire.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "EventLog.h"
#include "Launchd.h"
#include "PowerManager.h"

namespace sim {

struct SimdOptions {
    std::string root;  // canonical host path
    double startTime;  // device time at boot, seconds since the reference date
    double rate = 1;
    double idleSleep = 30;
    int readyFd = -1;  // "ready\n" (or an error line) is written here once requests are served
    // Host seconds a process is always given before it counts as silent or is killed, however
    // fast the device clock runs: a loaded host must not turn slowness into a verdict.
    double minimumHostGrace = 3;
};

class Simd : public PowerHost {
  public:
    explicit Simd(SimdOptions options);
    ~Simd() override;
    // Boots the device and serves it until shutdown; the exit status.
    int run();

    // PowerHost
    void sendPowerMessage(PowerClientId client, uint32_t message, long argument) override;
    void suspendDevice() override;
    void resumeDevice() override;
    std::optional<WakeRequest> nextWakeRequest(double now) override;
    void powerEvent(const std::string& event, nlohmann::ordered_json fields) override;

  private:
    struct Connection {
        int fd = -1;
        wire::FrameReader reader;
        pid_t peerPid = 0;
        std::optional<PowerClientId> powerClient;
    };
    struct Child {
        std::string name;
    };
    using ConnectionId = uint64_t;

    bool boot(std::string* error);
    void startSpringBoard();
    void loop();
    void accept();
    void serve(ConnectionId id);
    void closeConnection(ConnectionId id);
    void closeDropped();
    void handle(ConnectionId id, const PList::Dictionary& message);
    void reply(ConnectionId id, PList::Dictionary& message);
    void replyError(ConnectionId id, const std::string& error);
    void replyJson(ConnectionId id, const nlohmann::ordered_json& json);
    void reapChildren();
    void handleSignals();

    // Requests, by op.
    void logRequest(const PList::Dictionary& message);
    void helloRequest(ConnectionId id, const PList::Dictionary& message);
    void powerRegister(ConnectionId id, const PList::Dictionary& message);
    void wakeRequest(ConnectionId id, const PList::Dictionary& message, bool schedule);
    void launchctlRequest(ConnectionId id, const PList::Dictionary& message, const std::string& op);
    void probeRequest(ConnectionId id, const PList::Dictionary& message);
    void sleepRequest(ConnectionId id);
    void launchRequest(ConnectionId id, const PList::Dictionary& message);
    nlohmann::ordered_json statusJson();

    // Device processes.
    void rememberProcess(pid_t pid);
    std::set<pid_t> deviceProcesses();
    void signalDevice(int signal);
    void shutdown(std::optional<ConnectionId> requester);
    bool waitForChildren(const std::function<bool()>& done, double hostSeconds);
    void removeRunFiles();

    WakeList loadWakeListForEdit();
    double now() const { return clock_.now(); }
    double killGrace() const;

    SimdOptions options_;
    wire::DeviceClock clock_;
    std::unique_ptr<EventLog> log_;
    std::unique_ptr<Launchd> launchd_;
    std::unique_ptr<PowerManager> power_;
    int listenFd_ = -1;
    int signalFd_ = -1;
    bool running_ = true;
    bool suspended_ = false;
    ConnectionId nextConnection_ = 1;
    PowerClientId nextPowerClient_ = 1;
    std::map<ConnectionId, Connection> connections_;
    std::set<ConnectionId> dropped_;
    std::map<pid_t, Child> children_;                 // started by simd: SpringBoard, apps
    std::map<pid_t, unsigned long long> registered_;  // announced with hello
    std::set<pid_t> stopped_;                         // signalled one by one at sleep
};

}  // namespace sim
