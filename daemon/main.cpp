#include <UIKit/UIKit.h>
#include <unistd.h>

#include <cstdlib>

#include "Daemon.h"
#include "DaemonLoop.h"
#include "ModeSelection.h"

int main(int argc, char* argv[]) {
    (void)!setuid(0);  // both modes run as root; a failure leaves the process as it was
    if (!argumentsSelectDaemonMode(argc, argv))
        return UIApplicationMain(argc, argv, nullptr, nullptr);

    // Lives as long as the process; held in a static so leak checkers see it in use.
    static Daemon* const daemon = new Daemon();
    // The status bar's termination handling ends the process with exit(): the guarded period
    // ends then, while the process can still write its journal.
    std::atexit([] { daemon->terminating(); });
    for (;;) {
        // With nothing to wait on the run loop returns at once: idle instead of spinning.
        if (runDaemonPeriod() == kCFRunLoopRunFinished) idleUntilSignal();
    }
}
