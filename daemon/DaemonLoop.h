// The daemon's endless loop, one run period at a time, shared by main and the benchmarks.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

inline constexpr CFTimeInterval kDaemonRunPeriod = 10.0;

// One run period: the current thread's run loop in the default mode for at most 10 s, ending
// early once a source (a power message, a termination signal) was handled.
SInt32 runDaemonPeriod();

// Waits for a signal without using the processor. For a run loop with nothing to wait on
// (an unsupported system, where nothing was registered), which would otherwise return at once.
void idleUntilSignal();
