#include "Simd.h"

#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "Processes.h"

namespace sim {

using nlohmann::ordered_json;

Simd::Simd(SimdOptions options) : options_(std::move(options)) {}

Simd::~Simd() {
    for (auto& [id, connection] : connections_) close(connection.fd);
    if (listenFd_ >= 0) close(listenFd_);
    if (signalFd_ >= 0) close(signalFd_);
}

double Simd::killGrace() const { return std::max(20.0, options_.minimumHostGrace * options_.rate); }

int Simd::run() {
    std::string error;
    const bool booted = boot(&error);
    if (options_.readyFd >= 0) {
        const std::string line = booted ? "ready\n" : "error: " + error + "\n";
        if (write(options_.readyFd, line.data(), line.size()) < 0) {
        }
        close(options_.readyFd);
        options_.readyFd = -1;
    }
    if (!booted) {
        std::fprintf(stderr, "simd: %s\n", error.c_str());
        return 1;
    }
    loop();
    return 0;
}

bool Simd::boot(std::string* error) {
    const std::string& root = options_.root;
    base::makeDirectories(wire::inRoot(root, wire::paths::kRunFolder));
    chmod(wire::inRoot(root, wire::paths::kRunFolder).c_str(), 0700);
    base::makeDirectories(wire::inRoot(root, wire::paths::kLogFolder));
    const int probe = wire::connectToService(root, "simd");
    if (probe >= 0) {
        close(probe);
        *error = "the device is already booted";
        return false;
    }
    removeRunFiles();

    clock_.hostEpoch = wire::hostNow();
    clock_.deviceEpoch = options_.startTime + wire::kReferenceDateSince1970;
    clock_.rate = options_.rate;
    if (!base::writeFileAtomically(wire::inRoot(root, wire::paths::kClock),
                                   base::plistToXml(clock_.toPlist()))) {
        *error = "cannot write the device clock " + std::string(wire::paths::kClock);
        return false;
    }
    log_ = std::make_unique<EventLog>(wire::inRoot(root, wire::paths::kEvents),
                                      [this] { return now(); });

    sigset_t handled;
    sigemptyset(&handled);
    for (int sig : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&handled, sig);
    sigprocmask(SIG_BLOCK, &handled, nullptr);
    signal(SIGPIPE, SIG_IGN);
    signalFd_ = signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);
    listenFd_ = wire::listenAsService(root, "simd");
    if (listenFd_ < 0 || signalFd_ < 0) {
        *error =
            "cannot listen on " + wire::socketFolder(root) + "/simd.sock: " + std::strerror(errno);
        return false;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    base::writeFileAtomically(wire::inRoot(root, wire::paths::kSimdPid), {pid.begin(), pid.end()});

    base::PlistFile version = base::readPlistFile(wire::inRoot(root, wire::paths::kSystemVersion));
    const PList::String* product =
        version.dictionary() ? base::stringAt(*version.dictionary(), "ProductVersion") : nullptr;
    log_->write("simd", "boot",
                {{"version", product ? product->GetValue() : ""},
                 {"rate", options_.rate},
                 {"idleSleep", options_.idleSleep},
                 {"pid", getpid()}});

    launchd_ = std::make_unique<Launchd>(root, *log_, clock_, killGrace());
    startSpringBoard();
    launchd_->boot();
    PowerManager::Settings settings;
    settings.idleSleep = options_.idleSleep;
    settings.answerTimeout = std::max(30.0, options_.minimumHostGrace * options_.rate);
    power_ = std::make_unique<PowerManager>(*this, settings, now());
    return true;
}

void Simd::startSpringBoard() {
    const std::string program = wire::inRoot(options_.root, wire::paths::kSpringBoard);
    if (access(program.c_str(), X_OK) != 0) {
        log_->write("simd", "springboard-absent", {{"program", wire::paths::kSpringBoard}});
        return;
    }
    ProcessLaunch launch;
    launch.program = program;
    launch.argv = {wire::paths::kSpringBoard};
    launch.environment = deviceEnvironment(options_.root);
    launch.workingDirectory = options_.root;
    launch.outputPath =
        wire::inRoot(options_.root, std::string(wire::paths::kLogFolder) + "/SpringBoard.log");
    std::string error;
    const pid_t pid = spawnProcess(launch, &error);
    if (pid < 0) {
        log_->write("simd", "process-start-failed", {{"name", "SpringBoard"}, {"error", error}});
        return;
    }
    children_[pid] = {"SpringBoard"};
    log_->write("simd", "process-started", {{"name", "SpringBoard"}, {"pid", pid}});
    // Boot is over once SpringBoard takes requests (or has given up).
    const double until = wire::hostNow() + 30;
    while (wire::hostNow() < until) {
        const int fd = wire::connectToService(options_.root, "springboard");
        if (fd >= 0) {
            close(fd);
            return;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            children_.erase(pid);
            ordered_json fields = {{"name", "SpringBoard"}, {"pid", pid}};
            if (WIFSIGNALED(status))
                fields["signal"] = WTERMSIG(status);
            else
                fields["status"] = WEXITSTATUS(status);
            log_->write("simd", "process-ended", fields);
            return;
        }
        usleep(10000);
    }
    log_->write("simd", "springboard-not-answering", {{"pid", pid}});
}

void Simd::loop() {
    while (running_) {
        const double t = now();
        power_->advance(t);
        launchd_->advance(t);
        closeDropped();
        if (!running_) break;

        std::optional<double> deadline = power_->nextDeadline();
        if (auto d = launchd_->nextDeadline(); d && (!deadline || *d < *deadline)) deadline = d;
        double waitSeconds = 60;
        if (deadline)
            waitSeconds = std::clamp(clock_.hostTimeAt(*deadline) - wire::hostNow(), 0.0, 60.0);
        timespec timeout{};
        timeout.tv_sec = static_cast<time_t>(waitSeconds);
        timeout.tv_nsec = static_cast<long>((waitSeconds - std::floor(waitSeconds)) * 1e9);

        std::vector<pollfd> fds = {{listenFd_, POLLIN, 0}, {signalFd_, POLLIN, 0}};
        std::vector<ConnectionId> ids;
        for (const auto& [id, connection] : connections_) {
            fds.push_back({connection.fd, POLLIN, 0});
            ids.push_back(id);
        }
        const int ready = ppoll(fds.data(), fds.size(), &timeout, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "simd: poll: %s\n", std::strerror(errno));
            return;
        }
        if (ready <= 0) continue;
        if (fds[1].revents) handleSignals();
        if (!running_) break;
        if (fds[0].revents & POLLIN) accept();
        for (size_t i = 0; i < ids.size(); ++i)
            if (fds[i + 2].revents && connections_.count(ids[i])) serve(ids[i]);
    }
}

void Simd::accept() {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    // Replies are sent blocking, but a peer that stops reading must not freeze the device.
    timeval sendTimeout{2, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
    ucred cred{};
    socklen_t length = sizeof cred;
    Connection connection;
    connection.fd = fd;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0) connection.peerPid = cred.pid;
    connections_.emplace(nextConnection_++, std::move(connection));
}

void Simd::serve(ConnectionId id) {
    auto it = connections_.find(id);
    const wire::FrameReader::Status status = it->second.reader.readFrom(it->second.fd);
    for (;;) {
        it = connections_.find(id);
        if (it == connections_.end()) return;
        std::unique_ptr<PList::Dictionary> message = it->second.reader.next();
        if (!message) break;
        try {
            handle(id, *message);
        } catch (const std::exception& e) {
            // A request this code did not foresee must not take the device down.
            log_->write("simd", "internal-error",
                        {{"op", wire::stringField(*message, "op")}, {"error", e.what()}});
            replyError(id, std::string("internal error: ") + e.what());
        }
    }
    it = connections_.find(id);
    if (it == connections_.end()) return;
    if (it->second.reader.broken()) {
        log_->write("simd", "bad-message", {{"pid", it->second.peerPid}});
        closeConnection(id);
    } else if (status != wire::FrameReader::Status::Open) {
        closeConnection(id);
    }
}

void Simd::closeConnection(ConnectionId id) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    const std::optional<PowerClientId> client = it->second.powerClient;
    close(it->second.fd);
    connections_.erase(it);
    if (client) power_->removeClient(*client, now());
}

void Simd::closeDropped() {
    auto dropped = std::move(dropped_);
    dropped_.clear();
    for (ConnectionId id : dropped) closeConnection(id);
}

void Simd::reply(ConnectionId id, PList::Dictionary& message) {
    auto it = connections_.find(id);
    if (it == connections_.end()) return;
    if (!wire::sendMessage(it->second.fd, message)) dropped_.insert(id);
}

void Simd::replyError(ConnectionId id, const std::string& error) {
    PList::Dictionary message;
    message.Set("ok", PList::Boolean(false));
    message.Set("error", PList::String(error));
    reply(id, message);
}

void Simd::replyJson(ConnectionId id, const ordered_json& json) {
    PList::Dictionary message;
    message.Set("ok", PList::Boolean(true));
    message.Set("json", PList::String(json.dump()));
    reply(id, message);
}

void Simd::handleSignals() {
    signalfd_siginfo info{};
    bool shutdownWanted = false;
    while (read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGCHLD) continue;
        shutdownWanted = true;
    }
    reapChildren();
    if (shutdownWanted) shutdown(std::nullopt);
}

void Simd::reapChildren() {
    int status = 0;
    pid_t pid;
    while ((pid = waitpid(-1, &status, WNOHANG)) > 0) {
        if (launchd_ && launchd_->childEnded(pid, status)) continue;
        auto it = children_.find(pid);
        if (it == children_.end()) continue;
        ordered_json fields = {{"name", it->second.name}, {"pid", pid}};
        if (WIFSIGNALED(status))
            fields["signal"] = WTERMSIG(status);
        else
            fields["status"] = WEXITSTATUS(status);
        log_->write("simd", "process-ended", fields);
        kill(-pid, SIGKILL);  // what it left in its process group
        children_.erase(it);
    }
}

// ---------------------------------------------------------------- PowerHost

void Simd::sendPowerMessage(PowerClientId client, uint32_t message, long argument) {
    for (auto& [id, connection] : connections_) {
        if (connection.powerClient != client) continue;
        PList::Dictionary push;
        push.Set("op", PList::String("power"));
        push.Set("message", PList::Integer(static_cast<uint64_t>(message)));
        push.Set("argument", PList::Integer(static_cast<uint64_t>(argument)));
        if (!wire::sendMessage(connection.fd, push)) dropped_.insert(id);
        return;
    }
}

std::optional<WakeRequest> Simd::nextWakeRequest(double now) {
    const WakeList list = WakeList::load(wire::inRoot(options_.root, wire::paths::kAutoWake));
    if (!list.error().empty())
        log_->write("powerd", "wake-list-invalid", {{"error", list.error()}});
    return list.earliestAfter(now);
}

void Simd::powerEvent(const std::string& event, ordered_json fields) {
    log_->write("powerd", event, fields);
}

void Simd::suspendDevice() {
    suspended_ = true;
    signalDevice(SIGSTOP);
}

void Simd::resumeDevice() {
    suspended_ = false;
    signalDevice(SIGCONT);
    stopped_.clear();
}

void Simd::signalDevice(int sig) {
    // Process groups first, so no job or app forks past the signal.
    for (pid_t pid : launchd_->runningPids()) kill(-pid, sig);
    for (const auto& [pid, child] : children_) kill(-pid, sig);
    std::set<pid_t> each = deviceProcesses();
    if (sig == SIGCONT) each.insert(stopped_.begin(), stopped_.end());
    for (pid_t pid : each) {
        kill(pid, sig);
        if (sig == SIGSTOP) stopped_.insert(pid);
    }
}

void Simd::rememberProcess(pid_t pid) {
    if (pid <= 0 || pid == getpid()) return;
    const auto ticks = processStartTicks(pid);
    if (!ticks) return;
    registered_[pid] = *ticks;
    if (suspended_) {
        kill(pid, SIGSTOP);
        stopped_.insert(pid);
    }
}

std::set<pid_t> Simd::deviceProcesses() {
    std::set<pid_t> pids;
    for (auto it = registered_.begin(); it != registered_.end();) {
        if (sameProcess(it->first, it->second)) {
            pids.insert(it->first);
            ++it;
        } else {
            it = registered_.erase(it);  // gone: its pid may belong to someone else soon
        }
    }
    for (pid_t pid : findDeviceProcesses(options_.root)) pids.insert(pid);
    pids.erase(getpid());
    return pids;
}

// ---------------------------------------------------------------- shutdown

bool Simd::waitForChildren(const std::function<bool()>& done, double hostSeconds) {
    const double until = wire::hostNow() + hostSeconds;
    for (;;) {
        reapChildren();
        if (done()) return true;
        if (wire::hostNow() >= until) return false;
        pollfd p{signalFd_, POLLIN, 0};
        // The signalfd only wakes for our own children; others are looked at every 20 ms.
        timespec pause{0, 20 * 1000 * 1000};
        ppoll(&p, 1, &pause, nullptr);
        signalfd_siginfo info{};
        while (read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
    }
}

void Simd::shutdown(std::optional<ConnectionId> requester) {
    if (!running_) return;
    log_->write("simd", "shutdown", ordered_json::object());
    if (suspended_) {
        resumeDevice();
        log_->write("powerd", "wake", {{"reason", "shutdown"}});
    }
    // Jobs first, with SIGTERM and their grace period, as launchd does.
    launchd_->terminateAll();
    const double jobGrace = std::max(20.0 / options_.rate, options_.minimumHostGrace);
    if (!waitForChildren([&] { return launchd_->runningPids().empty(); }, jobGrace)) {
        launchd_->killAll();
        waitForChildren([&] { return launchd_->runningPids().empty(); }, 5);
    }
    // Then every other device process.
    for (const auto& [pid, child] : children_) kill(-pid, SIGTERM);
    for (pid_t pid : deviceProcesses()) kill(pid, SIGTERM);
    auto allGone = [&] { return children_.empty() && deviceProcesses().empty(); };
    if (!waitForChildren(allGone, options_.minimumHostGrace)) {
        for (const auto& [pid, child] : children_) {
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
        }
        for (pid_t pid : deviceProcesses()) kill(pid, SIGKILL);
        waitForChildren(allGone, 5);
    }
    launchd_->killAll();
    log_->write("simd", "shutdown-complete", ordered_json::object());
    removeRunFiles();
    close(listenFd_);
    listenFd_ = -1;
    if (requester) {
        PList::Dictionary done;
        done.Set("ok", PList::Boolean(true));
        reply(*requester, done);
    }
    running_ = false;
}

void Simd::removeRunFiles() {
    const std::string folder = wire::inRoot(options_.root, wire::paths::kRunFolder);
    for (const char* name :
         {"simd.sock", "springboard.sock", "clock.plist", "simd.pid", "statusbar.plist"})
        unlink((folder + "/" + name).c_str());
}

}  // namespace sim
