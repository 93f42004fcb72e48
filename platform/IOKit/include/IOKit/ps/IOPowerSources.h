// IOKit's power sources (every version of the phone's system has them): a snapshot of the
// sources with one description each, and a run-loop source that calls back when any changes.
// Names and call shapes follow Apple's IOPowerSources.h.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/ps/IOPSKeys.h>

// A snapshot of every power source; give it back with CFRelease. Never null.
CFTypeRef IOPSCopyPowerSourcesInfo();
// The sources of the snapshot, one element each (none on a device without a battery); give it
// back with CFRelease.
CFArrayRef IOPSCopyPowerSourcesList(CFTypeRef blob);
// The description of `ps`, an element of the list of the same snapshot, as a dictionary of
// the kIOPS...Key keys; lent by the snapshot. Null for anything else.
CFDictionaryRef IOPSGetPowerSourceDescription(CFTypeRef blob, CFTypeRef ps);

using IOPowerSourceCallbackType = void (*)(void* context);
// A source that calls `callback` on the run loop it is added to whenever a power source
// changes; give it back with CFRelease. Null when the system's notifications cannot be reached.
CFRunLoopSourceRef IOPSNotificationCreateRunLoopSource(IOPowerSourceCallbackType callback,
                                                       void* context);
