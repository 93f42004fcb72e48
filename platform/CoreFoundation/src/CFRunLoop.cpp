// The run loop: timers and descriptor sources served on one thread. Waiting is the backend's
// (real time on the simulated device, a virtual clock in tests).
//
// Coalescing, so that the battery pays one wakeup where timers and the end of a run period
// fall due close together:
// - a run period that would end shortly after the last timer firing inside it ends with that
//   firing instead: timers on a 10 s grid and 10 s run periods cost one wakeup per tick, not
//   two;
// - when a timer fires, every timer due within its leeway (timerLeeway below) fires with it,
//   early by at most that leeway. Timers scheduled one after the other are a hair apart (the
//   guard's 20 s icon refresh comes a few milliseconds after its 10 s window tick), and
//   without this each would take a wakeup of its own.
#include <CoreFoundationInternal.h>
#include <backend/Backend.h>
#include <backend/Probes.h>
#include <unistd.h>

#include <algorithm>

#include "NotifyCenterInternals.h"
#include "RunLoopInternals.h"

const CFRunLoopMode kCFRunLoopDefaultMode = "kCFRunLoopDefaultMode";
const CFRunLoopMode kCFRunLoopCommonModes = "kCFRunLoopCommonModes";

namespace {

std::string modeName(CFRunLoopMode mode) { return mode ? mode : "(null)"; }

thread_local unsigned long long t_wakeups = 0;

// How early a timer may fire to share the wakeup of one that is due: a tenth of its interval,
// at most a second. The tenth keeps a short timer near its time (a 2 s delay moves by 0.2 s at
// most), as the platform's guidance on a timer's tolerance has it; the second bounds the long
// ones and is far inside what the guard's timers stand for (the window is judged to the
// minute, the icon refreshed every 20 s). It still covers timers scheduled milliseconds apart
// on a simulated device whose clock runs 200 times as fast, where the guard's two timers come
// about a quarter of a device second apart.
constexpr CFTimeInterval kMaxTimerLeeway = 1.0;
CFTimeInterval timerLeeway(const NSTimer& timer) {
    return std::min(kMaxTimerLeeway, timer.timeInterval() / 10);
}

}  // namespace

CFAbsoluteTime CFAbsoluteTimeGetCurrent() { return platform::processService().now(); }

__CFRunLoop* CFRunLoopGetCurrent() {
    thread_local __CFRunLoop loop;
    return &loop;
}

bool __CFRunLoop::modeMatches(const std::string& registered, CFRunLoopMode running) {
    // The common modes include the default mode.
    return registered == modeName(running) ||
           (registered == kCFRunLoopCommonModes && modeName(running) == kCFRunLoopDefaultMode);
}

void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
    platform::probe::report([&] {
        return platform::probe::RunLoopSourceAdded{rl, source, modeName(mode)};
    });
    if (!rl || !source) return;
    auto& entries = rl->sources;
    const auto entry = std::make_pair(source, modeName(mode));
    if (std::find(entries.begin(), entries.end(), entry) == entries.end()) entries.push_back(entry);
}

void CFRunLoopRemoveSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
    platform::probe::report([&] {
        return platform::probe::RunLoopSourceRemoved{rl, source, modeName(mode)};
    });
    if (!rl) return;
    std::erase(rl->sources, std::make_pair(source, modeName(mode)));
}

Boolean CFRunLoopContainsSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
    if (!rl) return false;
    return std::find(rl->sources.begin(), rl->sources.end(),
                     std::make_pair(source, modeName(mode))) != rl->sources.end();
}

void CFRunLoopStop(CFRunLoopRef rl) {
    if (rl) rl->stopRequested = true;
}

void __CFRunLoop::addTimer(NSTimer* timer) { timers.emplace_back(timer); }

void __CFRunLoop::removeInvalidTimers() {
    std::erase_if(timers, [](const std::unique_ptr<NSTimer>& t) { return !t->isValid(); });
}

std::vector<CFRunLoopSourceRef> __CFRunLoop::sourcesIn(CFRunLoopMode mode) const {
    std::vector<CFRunLoopSourceRef> result;
    for (const auto& [source, registered] : sources)
        if (modeMatches(registered, mode) &&
            std::find(result.begin(), result.end(), source) == result.end())
            result.push_back(source);
    return result;
}

std::optional<CFAbsoluteTime> __CFRunLoop::fireDueTimers(CFRunLoopMode mode, CFAbsoluteTime now) {
    if (modeName(mode) != kCFRunLoopDefaultMode) return std::nullopt;  // timers live there
    const auto due = [now](const std::unique_ptr<NSTimer>& t) {
        return t->isValid() && t->nextFireTime() <= now;
    };
    if (std::none_of(timers.begin(), timers.end(), due)) return std::nullopt;
    // Each once, in the order of their times; timers that these firings schedule wait for the
    // next pass. The list is read afresh after each firing, which may have changed it.
    std::vector<const NSTimer*> pending;
    for (const auto& t : timers)
        if (t->isValid() && t->nextFireTime() <= now + timerLeeway(*t)) pending.push_back(t.get());
    std::optional<CFAbsoluteTime> latest;
    for (;;) {
        NSTimer* next = nullptr;
        for (const auto& t : timers)
            if (t->isValid() &&
                std::find(pending.begin(), pending.end(), t.get()) != pending.end() &&
                (!next || t->nextFireTime() < next->nextFireTime()))
                next = t.get();
        if (!next) break;
        std::erase(pending, next);
        latest = std::max(latest.value_or(next->nextFireTime()), next->nextFireTime());
        next->advancePast(now);  // a timer that missed firings (sleep) fires once
        next->fire();
    }
    removeInvalidTimers();
    return latest;
}

std::optional<CFAbsoluteTime> __CFRunLoop::nextTimerBefore(CFRunLoopMode mode, CFAbsoluteTime limit,
                                                           bool latest) const {
    if (modeName(mode) != kCFRunLoopDefaultMode) return std::nullopt;
    std::optional<CFAbsoluteTime> found;
    for (const auto& t : timers) {
        if (!t->isValid() || t->nextFireTime() > limit) continue;
        if (!found || (latest ? t->nextFireTime() > *found : t->nextFireTime() < *found))
            found = t->nextFireTime();
    }
    return found;
}

unsigned long long platform::runLoopWakeups() { return t_wakeups; }

void platform::addTimerToCurrentRunLoop(NSTimer* timer) { CFRunLoopGetCurrent()->addTimer(timer); }

void platform::resetCoreFoundation() {
    CFRunLoopRef loop = CFRunLoopGetCurrent();
    loop->timers.clear();
    loop->sources.clear();
    loop->stopRequested = false;
    forgetDarwinObservers();  // their sources were in the loop
}

SInt32 CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds,
                          Boolean returnAfterSourceHandled) {
    platform::ProcessService& process = platform::processService();
    CFRunLoopRef rl = CFRunLoopGetCurrent();
    rl->stopRequested = false;
    // Timers and the period count elapsed time: a set of the wall clock moves neither.
    CFAbsoluteTime now = process.elapsed();
    CFAbsoluteTime deadline = now + std::max(0.0, seconds);
    bool firstPass = true;
    bool endsWithTimer = false;

    for (;;) {
        const std::optional<CFAbsoluteTime> fired = rl->fireDueTimers(mode, now);
        if (rl->stopRequested) return kCFRunLoopRunStopped;
        // A period moved onto a timer's firing is over once that timer fired, early or not.
        if (endsWithTimer && fired && *fired >= deadline) return kCFRunLoopRunTimedOut;

        const std::vector<CFRunLoopSourceRef> sources = rl->sourcesIn(mode);
        const bool hasTimers = modeName(mode) == kCFRunLoopDefaultMode &&
                               std::any_of(rl->timers.begin(), rl->timers.end(),
                                           [](const auto& t) { return t->isValid(); });
        if (sources.empty() && !hasTimers) return kCFRunLoopRunFinished;

        // End the period with the last timer firing inside it (see the note at the top).
        if (firstPass) {
            if (auto last = rl->nextTimerBefore(mode, deadline, /*latest=*/true);
                last && *last > now) {
                deadline = *last;
                endsWithTimer = true;
            }
            firstPass = false;
        }

        std::vector<int> fds;
        for (CFRunLoopSourceRef s : sources)
            if (s->enabledFd() >= 0) fds.push_back(s->enabledFd());

        const bool timedOut = now >= deadline;
        std::optional<CFAbsoluteTime> wakeAt = deadline;
        if (auto next = rl->nextTimerBefore(mode, deadline, /*latest=*/false)) wakeAt = *next;
        // When the period is over, only look for sources that are ready already.
        const std::vector<int> ready = process.wait(fds, timedOut ? now : *wakeAt);
        if (!timedOut) ++t_wakeups;
        now = process.elapsed();

        bool handled = false;
        for (CFRunLoopSourceRef s : sources) {
            // A callback may have removed (and freed) a source served later in this pass.
            if (s != sources.front()) {
                const std::vector<CFRunLoopSourceRef> still = rl->sourcesIn(mode);
                if (std::find(still.begin(), still.end(), s) == still.end()) continue;
            }
            const int fd = s->enabledFd();
            if (fd < 0 || std::find(ready.begin(), ready.end(), fd) == ready.end()) continue;
            s->perform();
            handled = true;
            if (returnAfterSourceHandled) break;
        }
        if (handled && returnAfterSourceHandled) return kCFRunLoopRunHandledSource;
        if (rl->stopRequested) return kCFRunLoopRunStopped;
        if (timedOut) return kCFRunLoopRunTimedOut;
        if (now >= deadline) {
            rl->fireDueTimers(mode, now);
            return kCFRunLoopRunTimedOut;
        }
    }
}

// ---------------------------------------------------------------- descriptor sources

platform::DescriptorSource::DescriptorSource(int fd, std::function<void()> handler)
    : source_(std::make_unique<__CFRunLoopSource>()) {
    source_->fd = fd;
    source_->handler = std::move(handler);
}

platform::DescriptorSource::~DescriptorSource() = default;

CFRunLoopSourceRef platform::createReleasableDescriptorSource(int fd,
                                                              std::function<void()> handler) {
    auto* source = new __CFRunLoopSource;  // freed by CFRelease
    source->fd = fd;
    source->handler = std::move(handler);
    source->freedByRelease = true;
    return source;
}

void CFRelease(CFRunLoopSourceRef source) {
    if (!source || !source->freedByRelease) return;
    CFRunLoopRef loop = CFRunLoopGetCurrent();
    std::erase_if(loop->sources, [source](const auto& entry) { return entry.first == source; });
    delete source;
}

int platform::runLoopSourceDescriptor(CFRunLoopSourceRef source) {
    return source ? source->enabledFd() : -1;
}

void platform::performRunLoopSource(CFRunLoopSourceRef source) {
    if (source) source->perform();
}

int __CFRunLoopSource::enabledFd() const {
    if (fileDescriptor) return fileDescriptor->callbacksEnabled ? fileDescriptor->fd : -1;
    return fd;
}

void __CFRunLoopSource::perform() {
    if (fileDescriptor) {
        // One-shot, as on the platform: the callout re-enables if it wants more.
        fileDescriptor->callbacksEnabled = false;
        if (fileDescriptor->callout)
            fileDescriptor->callout(fileDescriptor, kCFFileDescriptorReadCallBack,
                                    fileDescriptor->info);
        return;
    }
    if (handler) handler();
}

CFFileDescriptorRef CFFileDescriptorCreate(CFAllocatorRef, CFFileDescriptorNativeDescriptor fd,
                                           Boolean closeOnInvalidate,
                                           CFFileDescriptorCallBack callout,
                                           const CFFileDescriptorContext* context) {
    platform::probe::report([&] { return platform::probe::FileDescriptorCreated{fd}; });
    auto* f = new __CFFileDescriptor;  // freed by CFRelease
    f->fd = fd;
    f->closeOnInvalidate = closeOnInvalidate;
    f->callout = callout;
    f->info = context ? context->info : nullptr;
    return f;
}

CFFileDescriptorNativeDescriptor CFFileDescriptorGetNativeDescriptor(CFFileDescriptorRef f) {
    return f ? f->fd : -1;
}

void CFFileDescriptorEnableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes) {
    if (f && f->valid && (callBackTypes & kCFFileDescriptorReadCallBack))
        f->callbacksEnabled = true;
}

void CFFileDescriptorInvalidate(CFFileDescriptorRef f) {
    if (!f || !f->valid) return;
    f->valid = false;
    f->callbacksEnabled = false;
    if (f->source)
        std::erase_if(CFRunLoopGetCurrent()->sources,
                      [&](const auto& entry) { return entry.first == f->source.get(); });
    if (f->closeOnInvalidate) ::close(f->fd);
}

Boolean CFFileDescriptorIsValid(CFFileDescriptorRef f) { return f && f->valid; }

void CFRelease(CFFileDescriptorRef f) {
    if (!f) return;
    CFFileDescriptorInvalidate(f);
    delete f;
}

CFRunLoopSourceRef CFFileDescriptorCreateRunLoopSource(CFAllocatorRef, CFFileDescriptorRef f,
                                                       CFIndex) {
    if (!f) return nullptr;
    if (!f->source) {
        f->source = std::make_unique<__CFRunLoopSource>();
        f->source->fileDescriptor = f;
    }
    return f->source.get();
}
