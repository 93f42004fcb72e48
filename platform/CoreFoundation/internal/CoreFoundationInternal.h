// What CoreFoundation shares with the platform layer's other frameworks, its test kit and its
// tests, beyond the platform's own interface; not for the system's code. The run loop's own
// structures stay in src/: its siblings get calls, not its layout.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <functional>
#include <memory>

class NSTimer;

namespace platform {

// A run-loop source for a descriptor that a service signals on (IOKit's notification port):
// while it is in a run loop, that loop runs `handler` on its thread whenever `fd` is readable,
// and the handler takes what made it so. Remove it from every run loop before it goes.
class DescriptorSource {
  public:
    DescriptorSource(int fd, std::function<void()> handler);
    ~DescriptorSource();
    DescriptorSource(const DescriptorSource&) = delete;
    DescriptorSource& operator=(const DescriptorSource&) = delete;

    CFRunLoopSourceRef source() const { return source_.get(); }

  private:
    std::unique_ptr<__CFRunLoopSource> source_;
};

// The same source handed out to a caller who owns it: CFRelease takes it out of the current
// thread's run loop and frees it, and `handler` (with whatever it holds) with it.
CFRunLoopSourceRef createReleasableDescriptorSource(int fd, std::function<void()> handler);

// For a loop that serves a source itself instead of a run loop (UIKit's, which is Qt's): the
// descriptor whose readability means the source has work (-1 while it wants none), and that
// work.
int runLoopSourceDescriptor(CFRunLoopSourceRef source);
void performRunLoopSource(CFRunLoopSourceRef source);

// Foundation's timers join the current thread's run loop, which owns them from then on.
void addTimerToCurrentRunLoop(NSTimer* timer);

// How often this thread's run loop has woken from a wait since the process started.
unsigned long long runLoopWakeups();

// Between tests: the current thread's run loop forgets its sources and timers, and the Darwin
// center its observations, without a word to the notify service (the test backend that held
// them is gone or about to go).
void resetCoreFoundation();

}  // namespace platform
