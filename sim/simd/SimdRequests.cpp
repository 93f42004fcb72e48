// simd's requests, by op (sim/README.md lists them with their fields and replies).
#include <base/PlistFile.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>

#include "PlistJson.h"
#include "PowerMessages.h"
#include "Processes.h"
#include "Simd.h"

namespace sim {

using nlohmann::ordered_json;

namespace {
std::vector<std::string> stringArray(const PList::Dictionary& message, const std::string& key) {
    std::vector<std::string> out;
    const PList::Array* array = base::arrayAt(message, key);
    if (!array) return out;
    for (size_t i = 0; i < base::arraySize(*array); ++i) {
        const auto item = base::arrayItem(*array, i);
        if (item && item->GetType() == PLIST_STRING)
            out.push_back(static_cast<PList::String*>(item.get())->GetValue());
    }
    return out;
}
}  // namespace

void Simd::handle(ConnectionId id, const PList::Dictionary& message) {
    const std::string op = wire::stringField(message, "op");
    Connection& connection = connections_.at(id);
    if (op == "log") return logRequest(message);
    if (op == "hello") return helloRequest(id, message);
    if (op == "ping") {
        PList::Dictionary pong;
        pong.Set("ok", PList::Boolean(true));
        pong.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
        return reply(id, pong);
    }
    if (op == "status") return replyJson(id, statusJson());
    if (op == "power-register") return powerRegister(id, message);
    if (op == "power-answer") {
        const auto argument = wire::integerField(message, "argument");
        if (connection.powerClient && argument)
            power_->answer(*connection.powerClient, static_cast<long>(*argument),
                           wire::boolField(message, "allow", true), now());
        else
            log_->write("powerd", "stray-answer",
                        {{"pid", connection.peerPid}, {"reason", "not registered for power"}});
        return;
    }
    if (op == "power-deregister") {
        if (connection.powerClient) {
            log_->write("powerd", "client-deregistered", {{"pid", connection.peerPid}});
            const PowerClientId client = *connection.powerClient;
            connection.powerClient.reset();
            power_->removeClient(client, now());
        }
        return;
    }
    if (op == "schedule-wake") return wakeRequest(id, message, true);
    if (op == "cancel-wake") return wakeRequest(id, message, false);
    if (op == "launchctl-load" || op == "launchctl-unload" || op == "launchctl-list")
        return launchctlRequest(id, message, op);
    if (op == "power-probe") return probeRequest(id, message);
    if (op == "sleep") return sleepRequest(id);
    if (op == "wake") {
        power_->requestWake(now());
        return replyJson(id, {{"power", power_->asleep() ? "asleep" : "awake"}});
    }
    if (op == "launch") return launchRequest(id, message);
    if (op == "shutdown") return shutdown(id);
    log_->write("simd", "unknown-request", {{"op", op}, {"pid", connection.peerPid}});
    replyError(id, "unknown request \"" + op + "\"");
}

void Simd::logRequest(const PList::Dictionary& message) {
    ordered_json fields = plistToJson(&message);
    const std::string source = wire::stringField(message, "source", "unknown");
    const std::string event = wire::stringField(message, "event", "log");
    fields.erase("op");
    log_->write(source, event, fields);
}

void Simd::helloRequest(ConnectionId id, const PList::Dictionary& message) {
    const auto pid = wire::integerField(message, "pid");
    rememberProcess(pid ? static_cast<pid_t>(*pid) : connections_.at(id).peerPid);
}

void Simd::powerRegister(ConnectionId id, const PList::Dictionary& message) {
    Connection& connection = connections_.at(id);
    const auto given = wire::integerField(message, "pid");
    const pid_t pid = given ? static_cast<pid_t>(*given) : connection.peerPid;
    if (!connection.powerClient) {
        connection.powerClient = nextPowerClient_++;
        power_->addClient(*connection.powerClient, pid);
        log_->write("powerd", "client-registered", {{"pid", pid}});
    }
    rememberProcess(pid);
    PList::Dictionary answer;
    answer.Set("ok", PList::Boolean(true));
    answer.Set("client", PList::Integer(static_cast<uint64_t>(*connection.powerClient)));
    reply(id, answer);
}

WakeList Simd::loadWakeListForEdit() {
    const std::string path = wire::inRoot(options_.root, wire::paths::kAutoWake);
    WakeList list = WakeList::load(path);
    if (list.error().empty()) return list;
    // A damaged list is kept aside, not overwritten: nothing of it is lost.
    const std::string savedAs = path + ".invalid";
    std::error_code ec;
    std::filesystem::rename(path, savedAs, ec);
    log_->write("powerd", "wake-list-invalid",
                {{"error", list.error()},
                 {"savedAs", wire::deviceView(options_.root, savedAs).value_or(savedAs)}});
    return WakeList();
}

void Simd::wakeRequest(ConnectionId id, const PList::Dictionary& message, bool schedule) {
    const auto time = wire::realField(message, "time");
    const std::string identifier = wire::stringField(message, "identifier");
    const auto given = wire::integerField(message, "pid");
    const pid_t pid = given ? static_cast<pid_t>(*given) : connections_.at(id).peerPid;
    if (!time || !std::isfinite(*time) || std::fabs(*time) > 4e9 || identifier.empty())
        return replyError(id, "a wake request needs a time and an identifier");
    WakeList list = loadWakeListForEdit();
    int removed = 0;
    if (schedule)
        list.add(*time, identifier);
    else
        removed = list.remove(*time, identifier);
    if ((schedule || removed > 0) &&
        !list.save(wire::inRoot(options_.root, wire::paths::kAutoWake)))
        return replyError(id, "cannot write the wake-request list");
    const double whole = WakeList::wholeSeconds(*time);
    // The line's own "time" is when it was logged; the request's date needs a name of its own.
    ordered_json fields = {
        {"wakeTime", wire::formatDeviceTime(whole)}, {"scheduledby", identifier}, {"pid", pid}};
    if (schedule) {
        log_->write("powerd", "wake-booked", fields);
    } else if (removed > 0) {
        log_->write("powerd", "wake-withdrawn", fields);
    } else {
        log_->write("powerd", "wake-not-found", fields);
    }
    power_->wakeListChanged(now());
    PList::Dictionary answer;
    answer.Set("ok", PList::Boolean(schedule || removed > 0));
    answer.Set("removed", PList::Integer(static_cast<uint64_t>(removed)));
    reply(id, answer);
}

void Simd::launchctlRequest(ConnectionId id, const PList::Dictionary& message,
                            const std::string& op) {
    if (op == "launchctl-list") return replyJson(id, launchd_->list());
    const std::string given = wire::stringField(message, "path");
    if (given.empty()) return replyError(id, "no job file named");
    const std::string path = wire::resolveDeviceArgument(options_.root, given);
    const bool persist = wire::boolField(message, "persist");
    auto answer = [this, id](const Launchd::Reply& result) {
        PList::Dictionary out;
        out.Set("ok", PList::Boolean(result.ok));
        if (!result.error.empty()) out.Set("error", PList::String(result.error));
        if (!result.note.empty()) out.Set("note", PList::String(result.note));
        reply(id, out);
    };
    if (op == "launchctl-load")
        launchd_->load(path, persist, answer);
    else
        launchd_->unload(path, persist, answer);
}

void Simd::probeRequest(ConnectionId id, const PList::Dictionary& message) {
    const std::string word = wire::stringField(message, "message");
    const auto code = powerMessageFromWord(word);
    if (!code) return replyError(id, "unknown power message \"" + word + "\"");
    // Host time from taking the request (the message goes out at once unless another round is
    // under way) to the last answer: what one question costs, for the round-trip benchmark.
    const auto taken = std::chrono::steady_clock::now();
    power_->probe(*code, now(), [this, id, taken](const PowerRound& round) {
        if (!round.error.empty()) return replyError(id, round.error);
        const std::chrono::duration<double, std::micro> spent =
            std::chrono::steady_clock::now() - taken;
        ordered_json answers = ordered_json::array();
        for (const PowerAnswerRecord& a : round.answers)
            answers.push_back({{"pid", a.pid},
                               {"answer", !a.answered ? "none"
                                          : a.allow   ? "allow"
                                                      : "cancel"}});
        replyJson(id, {{"message", powerMessageName(round.message)},
                       {"argument", round.argument},
                       {"clients", round.clients},
                       {"answers", answers},
                       {"roundTripMicros", spent.count()}});
    });
}

void Simd::sleepRequest(ConnectionId id) {
    power_->requestSleep(now(), [this, id](PowerManager::SleepOutcome outcome,
                                           const std::vector<int>& cancelledBy) {
        const char* result = outcome == PowerManager::SleepOutcome::Slept       ? "asleep"
                             : outcome == PowerManager::SleepOutcome::Cancelled ? "cancelled"
                                                                                : "already-asleep";
        replyJson(id, {{"result", result}, {"cancelledBy", cancelledBy}});
    });
}

void Simd::launchRequest(ConnectionId id, const PList::Dictionary& message) {
    const std::string program = wire::stringField(message, "program");
    if (program.empty()) return replyError(id, "no program named");
    const std::string hostProgram = wire::resolveDeviceArgument(options_.root, program);
    const std::string name = std::filesystem::path(hostProgram).filename().string();
    ProcessLaunch launch;
    launch.program = hostProgram;
    launch.argv = {wire::deviceView(options_.root, hostProgram).value_or(program)};
    for (const std::string& arg : stringArray(message, "arguments")) launch.argv.push_back(arg);
    launch.environment = withDeviceRoot(stringArray(message, "environment"), options_.root);
    launch.workingDirectory = options_.root;
    launch.outputPath =
        wire::inRoot(options_.root, std::string(wire::paths::kLogFolder) + "/" + name + ".log");
    std::string error;
    const pid_t pid = spawnProcess(launch, &error);
    if (pid < 0) return replyError(id, program + ": " + error);
    children_[pid] = {name};
    log_->write("simd", "process-started", {{"name", name}, {"pid", pid}});
    if (suspended_) kill(-pid, SIGSTOP);
    PList::Dictionary answer;
    answer.Set("ok", PList::Boolean(true));
    answer.Set("pid", PList::Integer(static_cast<uint64_t>(pid)));
    reply(id, answer);
}

ordered_json Simd::statusJson() {
    const double t = now();
    auto timeOrNull = [](std::optional<double> v) {
        return v ? ordered_json(wire::formatDeviceTime(*v)) : ordered_json(nullptr);
    };
    ordered_json springBoard = nullptr;
    for (const auto& [pid, child] : children_)
        if (child.name == "SpringBoard") springBoard = pid;
    return {{"time", wire::formatDeviceTime(t)},
            {"power", power_->asleep() ? "asleep" : "awake"},
            {"powerClients", power_->clientPids()},
            {"nextSleepAttempt", timeOrNull(power_->idleDeadline())},
            {"wakeAt", timeOrNull(power_->wakeAt())},
            {"rate", options_.rate},
            {"idleSleep", options_.idleSleep},
            {"jobs", launchd_->status()},
            {"springBoardPid", springBoard},
            {"simdPid", getpid()}};
}

}  // namespace sim
