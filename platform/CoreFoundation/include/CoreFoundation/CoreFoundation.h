// CoreFoundation, as much of it as Vigilant uses: run loops, their sources, timers,
// file-descriptor sources and the Darwin notify center. Names and call shapes follow Apple's; the
// behaviour is provided by the active platform backend (the simulated device, or the in-process
// test platform).
#pragma once

#include <cstdint>

using Boolean = bool;
using CFIndex = long;
using CFOptionFlags = unsigned long;
using SInt32 = int32_t;
using CFTimeInterval = double;
using CFAbsoluteTime = double;  // seconds since 2001-01-01 00:00:00 of the device's clock
using CFAllocatorRef = const void*;
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;

// Run-loop mode names are compared by identity of their text.
using CFStringRef = const char*;
using CFRunLoopMode = CFStringRef;
extern const CFRunLoopMode kCFRunLoopDefaultMode;
extern const CFRunLoopMode kCFRunLoopCommonModes;

struct __CFRunLoop;
struct __CFRunLoopSource;
struct __CFFileDescriptor;
using CFRunLoopRef = __CFRunLoop*;
using CFRunLoopSourceRef = __CFRunLoopSource*;
using CFFileDescriptorRef = __CFFileDescriptor*;
using CFFileDescriptorNativeDescriptor = int;

enum : SInt32 {
    kCFRunLoopRunFinished = 1,
    kCFRunLoopRunStopped = 2,
    kCFRunLoopRunTimedOut = 3,
    kCFRunLoopRunHandledSource = 4,
};

CFAbsoluteTime CFAbsoluteTimeGetCurrent();
inline constexpr CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;

CFRunLoopRef CFRunLoopGetCurrent();
void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
void CFRunLoopRemoveSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
Boolean CFRunLoopContainsSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
// Runs the current thread's run loop in `mode` for at most `seconds`. Returns
// kCFRunLoopRunFinished at once when the mode has neither sources nor timers.
SInt32 CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds,
                          Boolean returnAfterSourceHandled);
void CFRunLoopStop(CFRunLoopRef rl);

// File-descriptor sources: the callback runs on the run loop when the descriptor is readable.
// As on the platform, callbacks are one-shot: re-enable them to hear about the next event.
enum : CFOptionFlags { kCFFileDescriptorReadCallBack = 1 };
using CFFileDescriptorCallBack = void (*)(CFFileDescriptorRef f, CFOptionFlags callBackTypes,
                                          void* info);
struct CFFileDescriptorContext {
    CFIndex version;
    void* info;
    const void* (*retain)(const void* info);
    void (*release)(const void* info);
    CFStringRef (*copyDescription)(const void* info);
};
CFFileDescriptorRef CFFileDescriptorCreate(CFAllocatorRef allocator,
                                           CFFileDescriptorNativeDescriptor fd,
                                           Boolean closeOnInvalidate,
                                           CFFileDescriptorCallBack callout,
                                           const CFFileDescriptorContext* context);
CFFileDescriptorNativeDescriptor CFFileDescriptorGetNativeDescriptor(CFFileDescriptorRef f);
void CFFileDescriptorEnableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes);
CFRunLoopSourceRef CFFileDescriptorCreateRunLoopSource(CFAllocatorRef allocator,
                                                       CFFileDescriptorRef f, CFIndex order);
// Stops the descriptor's callbacks for good and takes its source out of the current thread's
// run loop; closes the native descriptor when it was created with closeOnInvalidate.
void CFFileDescriptorInvalidate(CFFileDescriptorRef f);
Boolean CFFileDescriptorIsValid(CFFileDescriptorRef f);
// Gives up the creator's hold: the descriptor object and its source are freed. An object still
// in use is invalidated first, so no run loop keeps a source that is gone.
void CFRelease(CFFileDescriptorRef f);

// The Darwin notify center: names posted system-wide, without object or userInfo (both come
// as null). An observer's callback runs on the run loop of the thread that added it, in the
// common modes; posts of a name that arrived together are delivered once, as the platform
// coalesces them. An observer stays until it is removed: remove it before it is gone.
struct __CFNotificationCenter;
struct __CFDictionary;
using CFNotificationCenterRef = __CFNotificationCenter*;
using CFDictionaryRef = const __CFDictionary*;
using CFNotificationName = CFStringRef;
using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer,
                                        CFNotificationName name, const void* object,
                                        CFDictionaryRef userInfo);
enum CFNotificationSuspensionBehavior : CFIndex {
    CFNotificationSuspensionBehaviorDrop = 1,
    CFNotificationSuspensionBehaviorCoalesce = 2,
    CFNotificationSuspensionBehaviorHold = 3,
    CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter();
// `name` must be given (the Darwin center has no catch-all); the same observer and name added
// again is one observation.
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, CFStringRef name,
                                     const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior);
// A null `name` removes every name of the observer.
void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        CFStringRef name, const void* object);
void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer);
// Posts `name` to every observer of it on the device, this process's too.
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name,
                                          const void* object, CFDictionaryRef userInfo,
                                          Boolean deliverImmediately);
