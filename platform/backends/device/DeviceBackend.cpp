#include "DeviceBackend.h"

#include <base/PlistFile.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceTime.h>
#include <wire/Wire.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "DeviceEvents.h"

namespace platform {

std::string deviceRootFromEnvironment() {
    // Read once: the device's root is the process's for its whole life, so a program that
    // edits its environment (the app cleans it before it starts a command) keeps its device.
    static const std::string root = [] {
        const char* value = std::getenv(wire::paths::kRootVariable);
        return std::string(value ? value : "");
    }();
    return root;
}

const char* deviceRootVariable() { return wire::paths::kRootVariable; }

Backend& deviceBackend() { return device::DeviceBackend::instance(); }

namespace device {

namespace {
constexpr int kReplyTimeoutMs = 10000;

std::string executablePath() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

[[noreturn]] void notOnDevice(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why.c_str());
    std::exit(69);
}
}  // namespace

DeviceBackend& DeviceBackend::instance() {
    // Never destroyed: run-loop sources and atexit handlers may use it to the very end.
    static DeviceBackend* backend = [] {
        const std::string root = deviceRootFromEnvironment();
        if (root.empty()) notOnDevice("not running on a simulated device (start it with simctl)");
        std::string error;
        auto clock = wire::DeviceClock::load(root, &error);
        if (!clock)
            notOnDevice("the simulated device at " + root +
                        " is not booted (start it with simctl boot)");
        return new DeviceBackend(root, *clock);
    }();
    return *backend;
}

DeviceBackend::DeviceBackend(std::string root, wire::DeviceClock clock)
    : root_(std::move(root)),
      clock_(clock),
      processName_(std::filesystem::path(executablePath()).filename().string()),
      simd_(root_, "simd",
            [](int fd) {
                // simd must know every device process to stop it while the device sleeps.
                PList::Dictionary hello;
                hello.Set("op", PList::String("hello"));
                hello.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
                wire::sendMessage(fd, hello);
            }),
      springBoard_(root_, "springboard") {
    if (processName_.empty()) processName_ = program_invocation_short_name;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) == 0) quietFd_ = pipeFds[0];  // the write end stays open
    PList::Dictionary hello = message("hello");
    simd_.send(hello);
}

PList::Dictionary DeviceBackend::message(const std::string& op) const {
    PList::Dictionary m;
    m.Set("op", PList::String(op));
    return m;
}

// ---------------------------------------------------------------- clock and waiting

CFAbsoluteTime DeviceBackend::now() { return clock_.now(); }

std::vector<int> DeviceBackend::wait(const std::vector<int>& fds,
                                     std::optional<CFAbsoluteTime> until) {
    std::vector<pollfd> polled;
    for (int fd : fds) polled.push_back({fd, POLLIN, 0});
    timespec timeout{};
    timespec* limit = nullptr;
    if (until) {
        const double seconds = std::max(0.0, clock_.hostTimeAt(*until) - wire::hostNow());
        timeout.tv_sec = static_cast<time_t>(std::min(seconds, 1e9));
        timeout.tv_nsec = static_cast<long>((seconds - std::floor(seconds)) * 1e9);
        if (timeout.tv_nsec >= 1000000000L) timeout.tv_nsec = 999999999L;
        limit = &timeout;
    }
    std::vector<int> ready;
    const int n = ppoll(polled.data(), polled.size(), limit, nullptr);
    if (n <= 0) return ready;
    for (const pollfd& p : polled)
        if (p.revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(p.fd);
    return ready;
}

// ---------------------------------------------------------------- files and the system

std::string DeviceBackend::systemVersion() {
    // Read at every call: the system tests the version afresh at every use.
    base::PlistFile file = base::readPlistFile(wire::inRoot(root_, wire::paths::kSystemVersion));
    const PList::Dictionary* dict = file.dictionary();
    const PList::String* version = dict ? base::stringAt(*dict, "ProductVersion") : nullptr;
    return version ? version->GetValue() : "";
}

std::string DeviceBackend::mainBundlePath() {
    const std::string folder = std::filesystem::path(executablePath()).parent_path().string();
    return wire::deviceView(root_, folder).value_or(folder);
}

std::string DeviceBackend::processName() { return processName_; }

void DeviceBackend::log(const std::string& line) {
    std::fprintf(stderr, "%s[%d]: %s\n", processName_.c_str(), static_cast<int>(getpid()),
                 line.c_str());
    PList::Dictionary fields;
    fields.Set("process", PList::String(processName_));
    fields.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    fields.Set("text", PList::String(line));
    sendEvent(processName_, "log", fields);
}

bool DeviceBackend::sendEvent(const std::string& source, const std::string& event,
                              const PList::Dictionary& fields) {
    PList::Dictionary m = message("log");
    for (auto it = fields.Begin(); it != fields.End(); ++it) m.Set(it->first, it->second);
    m.Set("source", PList::String(source));
    m.Set("event", PList::String(event));
    return simd_.send(m);
}

// ---------------------------------------------------------------- AppSupport

bool DeviceBackend::scheduleWake(CFAbsoluteTime date, const std::string& identifier) {
    PList::Dictionary m = message("schedule-wake");
    m.Set("time", PList::Real(date));
    m.Set("identifier", PList::String(identifier));
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    auto reply = simd_.request(m, kReplyTimeoutMs);
    return reply && wire::boolField(*reply, "ok");
}

bool DeviceBackend::cancelWake(CFAbsoluteTime date, const std::string& identifier) {
    PList::Dictionary m = message("cancel-wake");
    m.Set("time", PList::Real(date));
    m.Set("identifier", PList::String(identifier));
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    auto reply = simd_.request(m, kReplyTimeoutMs);
    return reply && wire::boolField(*reply, "ok");
}

bool DeviceBackend::sendCenterMessage(const std::string& center, const std::string& name,
                                      const NSDictionary* userInfo) {
    PList::Dictionary m = message("center");
    m.Set("center", PList::String(center));
    m.Set("message", PList::String(name));
    if (userInfo) {
        // Foundation's objects reach the wire as the property list they write.
        const NSData xml = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
            *userInfo, NSPropertyListXMLFormat_v1_0, nullptr);
        if (auto node = base::parsePlist(xml.bytes(), nullptr)) m.Set("userInfo", *node);
    }
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    return springBoard_.send(m);
}

// ---------------------------------------------------------------- SpringBoard

void DeviceBackend::applicationStatusBarImage(const std::string& name, bool show) {
    PList::Dictionary m = message("statusbar");
    m.Set("route", PList::String("UIApplication"));
    m.Set("show", PList::Boolean(show));
    m.Set("item", PList::String(name));
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    springBoard_.send(m);
}

mach_port_t DeviceBackend::springBoardServerPort() {
    auto reply = springBoard_.requestAlone(message("sbs-port"), kReplyTimeoutMs);
    if (!reply || !wire::boolField(*reply, "ok")) return 0;
    return static_cast<mach_port_t>(wire::integerField(*reply, "port").value_or(0));
}

void DeviceBackend::springBoardStatusBarItem(mach_port_t port, const std::string& name, bool show,
                                             int flags) {
    PList::Dictionary m = message("statusbar");
    m.Set("route", PList::String("SpringBoardServices"));
    m.Set("show", PList::Boolean(show));
    m.Set("item", PList::String(name));
    m.Set("port", PList::Integer(static_cast<uint64_t>(port)));
    m.Set("flags", PList::Integer(static_cast<uint64_t>(flags)));
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    springBoard_.send(m);
}

void DeviceBackend::scheduleLocalNotification(const std::string& bundleIdentifier,
                                              const UILocalNotification& notification) {
    PList::Dictionary m = message("schedule-notification");
    m.Set("app", PList::String(bundleIdentifier));
    // A notification without a fire date is due at once.
    const double fireDate = notification.fireDate()
                                ? notification.fireDate()->timeIntervalSince1970()
                                : now() + kCFAbsoluteTimeIntervalSince1970;
    m.Set("fireDate", PList::Real(fireDate));
    m.Set("repeatInterval", PList::Integer(static_cast<uint64_t>(notification.repeatInterval())));
    m.Set("body", PList::String(notification.alertBody().value_or("")));
    if (auto image = notification.alertLaunchImage()) m.Set("launchImage", PList::String(*image));
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    springBoard_.send(m);
}

void DeviceBackend::cancelAllLocalNotifications(const std::string& bundleIdentifier) {
    PList::Dictionary m = message("cancel-notifications");
    m.Set("app", PList::String(bundleIdentifier));
    m.Set("pid", PList::Integer(static_cast<uint64_t>(getpid())));
    springBoard_.send(m);
}

bool DeviceBackend::openURL(const std::string& url) {
    PList::Dictionary m = message("open-url");
    m.Set("url", PList::String(url));
    auto reply = springBoard_.requestAlone(m, kReplyTimeoutMs);
    return reply && wire::boolField(*reply, "ok");
}

}  // namespace device
}  // namespace platform

namespace platform::device {
bool sendDeviceEvent(const std::string& source, const std::string& event,
                     const PList::Dictionary& fields) {
    return DeviceBackend::instance().sendEvent(source, event, fields);
}
}  // namespace platform::device
