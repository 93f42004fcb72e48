// The device's power manager as a state machine over device time, free of sockets and
// processes so it can be driven by a fake clock. Its surroundings (PowerHost) deliver the
// messages, stop and resume the device's processes, know the wake-request list and write the
// event log.
//
// Awake, the idle timer runs; when it expires (or on request) an attempt asks every client
// kIOMessageCanSystemSleep and waits for every answer. One cancel ends the attempt with
// kIOMessageSystemWillNotSleep and a fresh idle period. Otherwise kIOMessageSystemWillSleep
// follows (its cancels are ignored, as on the phone), then the device sleeps until the
// earliest wake request after the attempt began or a user wake, and greets the clients with
// kIOMessageSystemHasPoweredOn. A request that came due while the clients were being asked
// wakes the device at once: a slow client must not make it sleep through a booked wake-up. A client
// that never answers is given up after the answer timeout and counts as allowing. A wake-up
// SpringBoard booked for a notification is a dark wake: the idle timer is the short dark-wake
// grace until something (a shown alert, a touch) counts as the owner's attention. Other bookers'
// wake-ups keep a full idle period: a program acts on its own timer after waking (the guard
// daemon takes hold at its next tick), and a grace shorter than that would put the device back
// to sleep with its booking spent. An idle attempt waits until the grace after a wake-up booked
// within the grace of it has passed: the device would wake for it at once, and its booker, the
// alarm or notification it stands for not yet served, must not be slept through.
#pragma once

#include <wire/WakeList.h>
#include <wire/events/Event.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace simd {

using PowerClientId = int;

class PowerHost {
  public:
    virtual ~PowerHost() = default;
    virtual void sendPowerMessage(PowerClientId client, uint32_t message, long argument) = 0;
    // Stops every device process but the power manager; resumes them.
    virtual void suspendDevice() = 0;
    virtual void resumeDevice() = 0;
    // The earliest valid wake request strictly after `after`.
    virtual std::optional<wire::WakeRequest> nextWakeRequest(double after) = 0;
    virtual void powerEvent(const std::string& event, nlohmann::ordered_json fields) = 0;
    template <wire::events::Event E>
    void powerEvent(const E& event) {
        powerEvent(std::string(E::kEvent), wire::events::fieldsOf(event));
    }
};

struct PowerAnswerRecord {
    int pid = 0;
    bool allow = true;
    bool answered = true;  // false: given up (counted as allowing) or the client went away
};

// What one message to every client brought back.
struct PowerRound {
    uint32_t message = 0;
    long argument = 0;
    std::vector<int> clients;  // pids the message went to
    std::vector<PowerAnswerRecord> answers;
    std::string error;  // set when the message could not be sent (e.g. the device sleeps)
};

class PowerManager {
  public:
    struct Settings {
        double idleSleep = 30;      // device seconds; 0: never try on its own
        double answerTimeout = 30;  // device seconds
        // Device seconds a device woken for SpringBoard's notification stays awake with its
        // screen dark, unless an alert lights it or a client holds it. About what a phone takes
        // to fire what woke it and let go again: far below the idle timeout, so a minute's
        // wake-up costs a few seconds awake.
        double darkWakeGrace = 10;
    };
    enum class SleepOutcome { Slept, Cancelled, AlreadyAsleep };
    using RoundDone = std::function<void(const PowerRound&)>;
    using SleepDone = std::function<void(SleepOutcome, const std::vector<int>& cancelledBy)>;

    PowerManager(PowerHost& host, Settings settings, double now);

    void addClient(PowerClientId client, int pid);
    void removeClient(PowerClientId client, double now);
    void answer(PowerClientId client, long argument, bool allow, double now);
    // Moves to `now`: gives up silent clients, starts the idle attempt, wakes at a request.
    void advance(double now);
    // When advance() next has something to do.
    std::optional<double> nextDeadline() const;

    // The sleep attempt the idle timer would make; `done` runs when it has ended.
    void requestSleep(double now, SleepDone done);
    // A wake-up as if the user pressed the button (awake: a fresh idle period).
    void requestWake(double now);
    // The user touched the screen: awake, a fresh idle period (unless an attempt is under way);
    // asleep, nothing, as a dark screen takes no touches.
    void userActivity(double now);
    // The charger was plugged in: a sleeping device wakes (reason "power-source"); either way
    // the screen lights and the idle time starts afresh, as after a touch.
    void powerSourcePlugged(double now);
    // Sends `message` to every client now (after a round already under way) and reports the
    // answers. Refused while the device sleeps.
    void probe(uint32_t message, double now, RoundDone done);
    // The wake-request list changed: while asleep, the wake-up time is looked up again.
    void wakeListChanged();
    // The wall clock jumped by `jump` device seconds: the idle period and the wait for answers
    // keep their lengths; wake requests are dates and keep theirs.
    void clockSet(double jump);

    bool asleep() const { return state_ == State::Asleep; }
    std::vector<int> clientPids() const;
    std::optional<double> wakeAt() const { return wakeAt_; }
    std::optional<double> idleDeadline() const;
    // The screen is lit for one idle period after a touch, a user wake or a plug-in (for good
    // when the device never sleeps on its own), and dark after it even while held awake;
    // dark while asleep.
    double litUntil() const { return litUntil_; }
    bool screenLit(double now) const { return state_ == State::Awake && now < litUntil_; }

  private:
    enum class State { Awake, Asleep };
    enum class Purpose { AttemptAsk, AttemptWillSleep, Probe };
    struct Round {
        Purpose purpose;
        PowerRound result;
        std::map<PowerClientId, int> waiting;  // client -> pid
        double deadline = 0;
        RoundDone done;
    };

    void startNext(double now);
    void startRound(Purpose purpose, uint32_t message, double now, RoundDone done);
    void finishRoundIfComplete(double now);
    void endAttempt(const PowerRound& ask, double now);
    void sleep();
    void lookUpWakeRequest();
    void wake(const std::string& reason, const std::optional<wire::WakeRequest>& request,
              double now);
    void broadcast(uint32_t message, long argument);
    bool attemptUnderWay() const;
    long freshArgument() { return nextArgument_++; }
    void restartIdle(double now);
    void lightScreen(double now);
    // When an idle attempt due `now` must wait for a wake-up booked within the grace around it.
    std::optional<double> postponedFor(double now);
    void notifySleepers(SleepOutcome outcome, const std::vector<int>& cancelledBy);

    PowerHost& host_;
    Settings settings_;
    State state_ = State::Awake;
    std::map<PowerClientId, int> clients_;  // client -> pid
    std::optional<Round> round_;
    std::deque<std::pair<uint32_t, RoundDone>> probes_;
    bool attemptWanted_ = false;
    std::vector<SleepDone> sleepers_;
    std::optional<double> idleDeadline_;
    double litUntil_ = -std::numeric_limits<double>::infinity();
    std::optional<double> wakeAt_;
    std::optional<wire::WakeRequest> wakeRequest_;
    double attemptStart_ = 0;  // when the last sleep attempt asked its first question
    long nextArgument_ = 0x1001;
};

}  // namespace simd
