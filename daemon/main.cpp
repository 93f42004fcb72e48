#include <CoreFoundation/CoreFoundation.h>
#include <UIKit/UIKit.h>
#include <unistd.h>

#include "Daemon.h"
#include "ModeSelection.h"

int main(int argc, char* argv[]) {
    (void)!setuid(0);  // both modes run as root; a failure leaves the process as it was
    if (!argumentsSelectDaemonMode(argc, argv))
        return UIApplicationMain(argc, argv, nullptr, nullptr);

    new Daemon();  // lives as long as the process
    for (;;) {
        // With nothing to wait on (an unsupported system) the run loop returns at once:
        // wait for a signal instead of spinning.
        if (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 10.0, true) == kCFRunLoopRunFinished) pause();
    }
}
