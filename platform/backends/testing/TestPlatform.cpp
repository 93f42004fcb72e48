#include "TestPlatform.h"

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "RunLoopInternals.h"

namespace platform::testing {

namespace {
std::string makeTemporaryRoot() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vigilant-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a device root");
    return pattern;
}

NSDictionary bundleInfo(const std::string& identifier) {
    NSDictionary info;
    info.setObjectForKey(identifier, "CFBundleIdentifier");
    info.setObjectForKey("VigilantPro", "CFBundleExecutable");
    return info;
}
}  // namespace

TestPlatform::TestPlatform() : root_(makeTemporaryRoot()) {
    std::filesystem::create_directories(root_ + "/var/root/Library/Preferences");
    setTime(kDefaultTime);
    emptyCurrentRunLoop();
    setBackend(this);
    setBundleIdentifier(kDefaultBundleIdentifier);
}

TestPlatform::~TestPlatform() {
    emptyCurrentRunLoop();
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
    NSBundle::resetMainBundle();
    setBackend(nullptr);
    closePowerConnection();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void TestPlatform::emptyCurrentRunLoop() {
    CFRunLoopRef loop = CFRunLoopGetCurrent();
    loop->timers.clear();
    loop->sources.clear();
    loop->stopRequested = false;
}

void TestPlatform::setBundleIdentifier(const std::string& identifier) {
    NSBundle::setMainBundle(bundlePath_, bundleInfo(identifier), std::nullopt);
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
}

void TestPlatform::reloadUserDefaults() {
    NSUserDefaults::resetStandardUserDefaults(/*keepRegisteredDefaults=*/true);
}

// ---------------------------------------------------------------- clock

void TestPlatform::setTime(const std::string& localTime) {
    std::tm tm{};
    char extra = 0;
    if (std::sscanf(localTime.c_str(), "%d-%d-%d %d:%d:%d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &extra) != 6)
        throw std::invalid_argument("not a \"YYYY-MM-DD HH:MM:SS\" time: " + localTime);
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    now_ = static_cast<double>(timegm(&tm)) - kCFAbsoluteTimeIntervalSince1970;
}

std::string TestPlatform::timeText() const {
    return NSDate::dateWithTimeIntervalSinceReferenceDate(now_).description();
}

void TestPlatform::advance(double seconds) {
    const CFAbsoluteTime target = now_ + seconds;
    int stuck = 0;
    while (now_ < target) {
        const CFAbsoluteTime before = now_;
        const SInt32 result = CFRunLoopRunInMode(kCFRunLoopDefaultMode, target - now_, false);
        if (result == kCFRunLoopRunFinished) break;  // nothing to run: time just passes
        // A source that stays ready without being consumed would hold the clock forever.
        stuck = now_ == before ? stuck + 1 : 0;
        if (stuck > 100000) throw std::logic_error("advance: a ready source is never consumed");
    }
    if (now_ < target) now_ = target;
}

SInt32 TestPlatform::runOnce() { return CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, true); }

std::vector<int> TestPlatform::wait(const std::vector<int>& fds,
                                    std::optional<CFAbsoluteTime> until) {
    std::vector<pollfd> polled;
    for (int fd : fds) polled.push_back({fd, POLLIN, 0});
    std::vector<int> ready;
    if (!polled.empty() && ::poll(polled.data(), polled.size(), 0) > 0)
        for (const pollfd& p : polled)
            if (p.revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(p.fd);
    // Nothing to serve: the virtual clock jumps to the deadline instead of sleeping.
    if (ready.empty() && until && *until > now_) now_ = *until;
    return ready;
}

// ---------------------------------------------------------------- records

void TestPlatform::record(const std::string& call) {
    if (keepRecords_) calls_.push_back(call);
}

void TestPlatform::log(const std::string& line) {
    if (keepRecords_) logLines_.push_back(line);
}

std::vector<std::string> TestPlatform::callsNamed(std::string_view name) const {
    std::vector<std::string> found;
    for (size_t index : indicesOf(name)) found.push_back(calls_[index]);
    return found;
}

std::vector<size_t> TestPlatform::indicesOf(std::string_view name) const {
    std::vector<size_t> found;
    for (size_t i = 0; i < calls_.size(); ++i) {
        const std::string& call = calls_[i];
        if (call.size() > name.size() && call.compare(0, name.size(), name) == 0 &&
            call[name.size()] == '(')
            found.push_back(i);
    }
    return found;
}

void TestPlatform::clearRecords() {
    calls_.clear();
    powerAnswers_.clear();
    wakeRequests_.clear();
    statusBarRequests_.clear();
    centerMessages_.clear();
    notifications_.clear();
    openedURLs_.clear();
    logLines_.clear();
}

}  // namespace platform::testing
