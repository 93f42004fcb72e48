#include "PowerManager.h"

#include <IOKit/IOMessage.h>
#include <wire/DeviceTime.h>
#include <wire/events/Powerd.h>
#include <wire/messages/Wake.h>

#include <algorithm>

#include "PowerMessages.h"

namespace simd {

namespace events = wire::events;

PowerManager::PowerManager(PowerHost& host, Settings settings, double now)
    : host_(host), settings_(settings) {
    restartIdle(now);
    lightScreen(now);  // a phone just switched on shows its screen
}

void PowerManager::lightScreen(double now) {
    litUntil_ = settings_.idleSleep > 0 ? now + settings_.idleSleep
                                        : std::numeric_limits<double>::infinity();
}

void PowerManager::restartIdle(double now) {
    if (settings_.idleSleep > 0)
        idleDeadline_ = now + settings_.idleSleep;
    else
        idleDeadline_.reset();
}

std::optional<double> PowerManager::idleDeadline() const {
    if (state_ != State::Awake || attemptUnderWay()) return std::nullopt;
    return idleDeadline_;
}

bool PowerManager::attemptUnderWay() const { return round_ && round_->purpose != Purpose::Probe; }

void PowerManager::addClient(PowerClientId client, int pid) { clients_[client] = pid; }

void PowerManager::removeClient(PowerClientId client, double now) {
    const auto it = clients_.find(client);
    if (it == clients_.end()) return;
    const int pid = it->second;
    clients_.erase(it);
    if (round_ && round_->waiting.erase(client)) {
        // A client that went away cannot hold the device awake.
        round_->result.answers.push_back({pid, true, false});
        host_.powerEvent(events::ClientGone{pid, powerMessageName(round_->result.message),
                                            round_->result.argument});
        finishRoundIfComplete(now);
    }
}

void PowerManager::answer(PowerClientId client, long argument, bool allow, double now) {
    const auto known = clients_.find(client);
    const int pid = known == clients_.end() ? 0 : known->second;
    const char* word = allow ? "allow" : "cancel";
    if (round_ && round_->result.argument == argument && round_->waiting.count(client)) {
        round_->waiting.erase(client);
        round_->result.answers.push_back({pid, allow, true});
        events::Answer event{pid, word, powerMessageName(round_->result.message), argument};
        if (!allow && round_->purpose == Purpose::AttemptWillSleep) event.ignored = true;
        host_.powerEvent(event);
        finishRoundIfComplete(now);
        return;
    }
    // Not the pending question: counts as no answer.
    events::StrayAnswer event{pid, word, argument};
    event.expected.emplace();
    if (round_) event.expected->value = round_->result.argument;
    host_.powerEvent(event);
}

void PowerManager::advance(double now) {
    if (round_ && now >= round_->deadline) {
        for (const auto& [client, pid] : round_->waiting) {
            round_->result.answers.push_back({pid, true, false});
            host_.powerEvent(events::NoAnswer{pid, powerMessageName(round_->result.message),
                                              round_->result.argument});
        }
        round_->waiting.clear();
        finishRoundIfComplete(now);
    }
    if (state_ == State::Awake && !attemptUnderWay() && !attemptWanted_ && idleDeadline_ &&
        now >= *idleDeadline_) {
        idleDeadline_ = postponedFor(now);
    }
    if (state_ == State::Awake && !attemptUnderWay() && !attemptWanted_ && idleDeadline_ &&
        now >= *idleDeadline_) {
        idleDeadline_.reset();
        attemptWanted_ = true;
        host_.powerEvent(events::SleepAttempt{"idle"});
    }
    startNext(now);
    if (state_ == State::Asleep && wakeAt_ && now >= *wakeAt_)
        wake("wake-request", wakeRequest_, now);
}

std::optional<double> PowerManager::postponedFor(double now) {
    const double grace = settings_.darkWakeGrace;
    const std::optional<wire::WakeRequest> near = host_.nextWakeRequest(now - grace);
    if (near && near->time <= now + grace && near->time + grace > now) return near->time + grace;
    return idleDeadline_;
}

std::optional<double> PowerManager::nextDeadline() const {
    std::optional<double> next;
    auto consider = [&](std::optional<double> t) {
        if (t && (!next || *t < *next)) next = t;
    };
    if (round_) consider(round_->deadline);
    consider(idleDeadline());
    if (state_ == State::Asleep) consider(wakeAt_);
    return next;
}

void PowerManager::requestSleep(double now, SleepDone done) {
    if (state_ == State::Asleep) {
        if (done) done(SleepOutcome::AlreadyAsleep, {});
        return;
    }
    sleepers_.push_back(std::move(done));
    if (attemptUnderWay() || attemptWanted_) return;  // it joins the attempt under way
    idleDeadline_.reset();
    attemptWanted_ = true;
    host_.powerEvent(events::SleepAttempt{"request"});
    startNext(now);
}

void PowerManager::requestWake(double now) {
    if (state_ == State::Asleep) {
        wake("user", std::nullopt, now);
        lightScreen(now);
        return;
    }
    userActivity(now);
}

void PowerManager::powerSourcePlugged(double now) {
    if (state_ == State::Asleep) {
        wake("power-source", std::nullopt, now);
        lightScreen(now);
        return;
    }
    userActivity(now);
}

void PowerManager::userActivity(double now) {
    if (state_ != State::Awake) return;
    lightScreen(now);
    if (!attemptUnderWay() && !attemptWanted_) restartIdle(now);
}

void PowerManager::probe(uint32_t message, double now, RoundDone done) {
    if (state_ == State::Asleep) {
        PowerRound refused;
        refused.message = message;
        refused.error = "the device is asleep";
        if (done) done(refused);
        return;
    }
    if (!powerMessageWantsAnswer(message)) {
        PowerRound result;
        result.message = message;
        result.argument = freshArgument();
        for (const auto& [client, pid] : clients_) result.clients.push_back(pid);
        broadcast(message, result.argument);
        if (done) done(result);
        return;
    }
    probes_.emplace_back(message, std::move(done));
    startNext(now);
}

void PowerManager::wakeListChanged() {
    if (state_ == State::Asleep) lookUpWakeRequest();
}

void PowerManager::clockSet(double jump) {
    litUntil_ += jump;
    if (idleDeadline_) *idleDeadline_ += jump;
    if (round_) round_->deadline += jump;
}

void PowerManager::lookUpWakeRequest() {
    // From the attempt's start, not from now: a request that came due meanwhile is overdue,
    // and wakes the device at the next advance().
    wakeRequest_ = host_.nextWakeRequest(attemptStart_);
    wakeAt_ = wakeRequest_ ? std::optional<double>(wakeRequest_->time) : std::nullopt;
}

std::vector<int> PowerManager::clientPids() const {
    std::vector<int> pids;
    for (const auto& [client, pid] : clients_) pids.push_back(pid);
    return pids;
}

void PowerManager::startNext(double now) {
    if (round_ || state_ != State::Awake) return;
    if (attemptWanted_) {
        attemptWanted_ = false;
        attemptStart_ = now;
        startRound(Purpose::AttemptAsk, kIOMessageCanSystemSleep, now, {});
        return;
    }
    if (!probes_.empty()) {
        auto [message, done] = std::move(probes_.front());
        probes_.pop_front();
        startRound(Purpose::Probe, message, now, std::move(done));
    }
}

void PowerManager::startRound(Purpose purpose, uint32_t message, double now, RoundDone done) {
    Round round;
    round.purpose = purpose;
    round.result.message = message;
    round.result.argument = freshArgument();
    round.deadline = now + settings_.answerTimeout;
    round.done = std::move(done);
    for (const auto& [client, pid] : clients_) {
        round.waiting[client] = pid;
        round.result.clients.push_back(pid);
    }
    round_ = std::move(round);
    broadcast(message, round_->result.argument);
    finishRoundIfComplete(now);
}

void PowerManager::finishRoundIfComplete(double now) {
    if (!round_ || !round_->waiting.empty()) return;
    Round round = std::move(*round_);
    round_.reset();
    switch (round.purpose) {
        case Purpose::Probe:
            if (round.done) round.done(round.result);
            break;
        case Purpose::AttemptAsk:
            endAttempt(round.result, now);
            return;
        case Purpose::AttemptWillSleep:
            sleep();
            return;
    }
    startNext(now);
}

void PowerManager::endAttempt(const PowerRound& ask, double now) {
    std::vector<int> cancelledBy;
    for (const PowerAnswerRecord& a : ask.answers)
        if (a.answered && !a.allow) cancelledBy.push_back(a.pid);
    if (cancelledBy.empty()) {
        startRound(Purpose::AttemptWillSleep, kIOMessageSystemWillSleep, now, {});
        return;
    }
    host_.powerEvent(events::SleepCancelled{{cancelledBy.begin(), cancelledBy.end()}});
    broadcast(kIOMessageSystemWillNotSleep, freshArgument());
    restartIdle(now);
    notifySleepers(SleepOutcome::Cancelled, cancelledBy);
    startNext(now);
}

void PowerManager::sleep() {
    state_ = State::Asleep;
    idleDeadline_.reset();
    litUntil_ = -std::numeric_limits<double>::infinity();
    lookUpWakeRequest();
    events::Sleep event;
    if (wakeAt_) event.wakeAt.value = wire::formatDeviceTime(*wakeAt_);
    host_.powerEvent(event);
    host_.suspendDevice();
    auto waiting = std::move(probes_);
    probes_.clear();
    for (auto& [message, done] : waiting) {
        PowerRound refused;
        refused.message = message;
        refused.error = "the device is asleep";
        if (done) done(refused);
    }
    notifySleepers(SleepOutcome::Slept, {});
}

void PowerManager::wake(const std::string& reason, const std::optional<wire::WakeRequest>& given,
                        double now) {
    // A copy: `given` may be wakeRequest_ itself, which is cleared below.
    const std::optional<wire::WakeRequest> request = given;
    host_.resumeDevice();
    state_ = State::Awake;
    wakeAt_.reset();
    wakeRequest_.reset();
    events::Wake event{reason};
    if (request) {
        event.wakeTime = wire::formatDeviceTime(request->time);
        event.scheduledby = request->scheduledBy;
    }
    host_.powerEvent(event);
    broadcast(kIOMessageSystemHasPoweredOn, freshArgument());
    restartIdle(now);
    if (request && request->scheduledBy == wire::kSpringBoardWakeIdentifier && idleDeadline_)
        idleDeadline_ = std::min(*idleDeadline_, now + settings_.darkWakeGrace);
    startNext(now);
}

void PowerManager::broadcast(uint32_t message, long argument) {
    host_.powerEvent(events::PowerMessage{powerMessageName(message), argument,
                                          static_cast<int64_t>(clients_.size())});
    for (const auto& [client, pid] : clients_) host_.sendPowerMessage(client, message, argument);
}

void PowerManager::notifySleepers(SleepOutcome outcome, const std::vector<int>& cancelledBy) {
    auto sleepers = std::move(sleepers_);
    sleepers_.clear();
    for (auto& done : sleepers)
        if (done) done(outcome, cancelledBy);
}

}  // namespace simd
