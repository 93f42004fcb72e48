// CoreFoundation, as much of it as Vigilant uses: run loops, their sources, timers,
// file-descriptor sources, the Darwin notify center, and the arrays, dictionaries, numbers and
// booleans that IOKit's power sources come in. Names and call shapes follow Apple's; the
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
// Frees a source that a framework handed out to be released (IOKit's power-source source),
// after taking it out of the current thread's run loop. Sources that belong to a descriptor or
// to their framework are left alone.
void CFRelease(CFRunLoopSourceRef source);

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

// ---- Property-list values: arrays, dictionaries, numbers, booleans. They are counted
// references: a Create or Copy call hands one to the caller, who gives it back with CFRelease;
// a Get call lends one. Strings are their text here (CFStringRef), compared by text and never
// retained: a collection keeps the text it was given, which must outlive it (the frameworks
// put their constant names in).
using CFTypeRef = const void*;
using CFTypeID = unsigned long;
struct __CFArray;
struct __CFNumber;
struct __CFBoolean;
using CFArrayRef = const __CFArray*;
using CFNumberRef = const __CFNumber*;
using CFBooleanRef = const __CFBoolean*;

CFTypeRef CFRetain(CFTypeRef cf);
// A null `cf` is allowed here (the platform's crashes).
void CFRelease(CFTypeRef cf);
// By value: two strings of the same text, two numbers of the same value, the same boolean.
Boolean CFEqual(CFTypeRef a, CFTypeRef b);
// What `cf` is; a pointer that is none of the counted kinds is taken for a string.
CFTypeID CFGetTypeID(CFTypeRef cf);
CFTypeID CFArrayGetTypeID();
CFTypeID CFDictionaryGetTypeID();
CFTypeID CFNumberGetTypeID();
CFTypeID CFBooleanGetTypeID();
CFTypeID CFStringGetTypeID();

// Collections retain their counted values (kCFType... callbacks) and release them when they go.
struct CFArrayCallBacks {
    CFIndex version;
};
struct CFDictionaryKeyCallBacks {
    CFIndex version;
};
struct CFDictionaryValueCallBacks {
    CFIndex version;
};
extern const CFArrayCallBacks kCFTypeArrayCallBacks;
extern const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks;
extern const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks;

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef array);
// Null for an index outside the array.
const void* CFArrayGetValueAtIndex(CFArrayRef array, CFIndex index);

// Keys are strings.
CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys, const void** values,
                                   CFIndex numValues, const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks);
CFIndex CFDictionaryGetCount(CFDictionaryRef dict);
// Null when `key` is absent.
const void* CFDictionaryGetValue(CFDictionaryRef dict, const void* key);

enum CFNumberType : CFIndex {
    kCFNumberSInt32Type = 3,
    kCFNumberSInt64Type = 4,
    kCFNumberDoubleType = 13,
    kCFNumberIntType = 9,
};
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr);
// Stores the value as `theType`; false when that type cannot hold it exactly.
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);

extern const CFBooleanRef kCFBooleanTrue;
extern const CFBooleanRef kCFBooleanFalse;
Boolean CFBooleanGetValue(CFBooleanRef boolean);
