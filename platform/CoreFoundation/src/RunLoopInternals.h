// The run loop's own structures, for CoreFoundation's own files. What its sibling frameworks
// and tests need of them is in internal/CoreFoundationInternal.h.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct __CFRunLoopSource {
    int fd = -1;                    // readable: perform
    std::function<void()> handler;  // what performing does, for plain descriptor sources
    __CFFileDescriptor* fileDescriptor = nullptr;  // set for CFFileDescriptor sources
    bool freedByRelease = false;  // handed out to a caller, who gives it back with CFRelease
    int enabledFd() const;
    void perform();
};

struct __CFFileDescriptor {
    int fd = -1;
    bool closeOnInvalidate = false;
    bool callbacksEnabled = false;
    bool valid = true;
    CFFileDescriptorCallBack callout = nullptr;
    void* info = nullptr;
    std::unique_ptr<__CFRunLoopSource> source;
};

struct __CFRunLoop {
    std::vector<std::pair<CFRunLoopSourceRef, std::string>> sources;  // source, mode
    std::vector<std::unique_ptr<NSTimer>> timers;
    bool stopRequested = false;

    void addTimer(NSTimer* timer);
    void removeInvalidTimers();
    std::vector<CFRunLoopSourceRef> sourcesIn(CFRunLoopMode mode) const;
    // Fires the timers due at `now` and, with them, those due within their leeway; the latest
    // time one of them was due, none when none was due.
    std::optional<CFAbsoluteTime> fireDueTimers(CFRunLoopMode mode, CFAbsoluteTime now);
    std::optional<CFAbsoluteTime> nextTimerBefore(CFRunLoopMode mode, CFAbsoluteTime limit,
                                                  bool latest) const;
    static bool modeMatches(const std::string& registered, CFRunLoopMode running);
};
