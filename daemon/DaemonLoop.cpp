#include "DaemonLoop.h"

#include <unistd.h>

SInt32 runDaemonPeriod() {
    return CFRunLoopRunInMode(kCFRunLoopDefaultMode, kDaemonRunPeriod, true);
}

void idleUntilSignal() { pause(); }
