#include <UIKit/UIKit.h>
#include <unistd.h>

#include "Daemon.h"
#include "DaemonLoop.h"
#include "ModeSelection.h"

int main(int argc, char* argv[]) {
    (void)!setuid(0);  // both modes run as root; a failure leaves the process as it was
    if (!argumentsSelectDaemonMode(argc, argv))
        return UIApplicationMain(argc, argv, nullptr, nullptr);

    // Lives as long as the process; held in a static so leak checkers see it in use.
    static Daemon* const daemon = new Daemon();
    (void)daemon;
    for (;;) {
        // With nothing to wait on the run loop returns at once: idle instead of spinning.
        if (runDaemonPeriod() == kCFRunLoopRunFinished) idleUntilSignal();
    }
}
