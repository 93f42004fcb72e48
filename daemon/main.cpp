#include <UIKit/UIKit.h>
#include <unistd.h>

#include "Daemon.h"
#include "DaemonLoop.h"
#include "ModeSelection.h"

int main(int argc, char* argv[]) {
    (void)!setuid(0);  // both modes run as root; a failure leaves the process as it was
    if (!argumentsSelectDaemonMode(argc, argv))
        return UIApplicationMain(argc, argv, nullptr, nullptr);

    new Daemon();  // lives as long as the process
    for (;;) {
        // With nothing to wait on the run loop returns at once: idle instead of spinning.
        if (runDaemonPeriod() == kCFRunLoopRunFinished) idleUntilSignal();
    }
}
