// SpringBoard of the simulated device: started by simd at boot, it serves the status bar,
// local notifications and alerts on the socket "springboard" until the device shuts down.
#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <base/ScopedFd.h>
#include <wire/DevicePaths.h>
#include <wire/Wire.h>
#include <wire/messages/Device.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "RunLoopServer.h"
#include "SimdEventLog.h"
#include "SpringBoardApp.h"

namespace {

void printUsage() {
    std::printf(
        "usage: SpringBoard\n"
        "The simulated device's SpringBoard. simd starts it at boot with %s set to the\n"
        "device's root; it listens on the device's springboard socket and loads the extensions\n"
        "in /Library/MobileSubstrate/DynamicLibraries whose filter names its bundle.\n",
        wire::paths::kRootVariable);
}

// A fresh port at every start, so callers that kept an old one are told apart.
mach_port_t newServerPort() {
    std::random_device random;
    mach_port_t port = 0;
    while (port == 0) port = static_cast<mach_port_t>(random());
    return port;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage();
            return 0;
        }
        std::fprintf(stderr, "SpringBoard: unknown argument '%s' (see --help)\n", argv[i]);
        return 64;
    }
    const char* root = std::getenv(wire::paths::kRootVariable);
    if (!root || !*root) {
        std::fprintf(stderr, "SpringBoard: %s is not set; run me on a simulated device\n",
                     wire::paths::kRootVariable);
        return 69;
    }

    // Listening first: clients that come during start-up wait in the backlog.
    base::LocalSocket listening = wire::listenAsService(root, wire::kSpringBoardService);
    if (!listening) {
        std::fprintf(stderr, "SpringBoard: cannot listen on the springboard socket: %s\n",
                     std::strerror(errno));
        return 71;
    }
    springboard::SimdEventLog events(root);
    springboard::SpringBoardApp springBoard(springboard::SpringBoardApp::filesOfDevice(root),
                                            events, newServerPort());
    springBoard.start(NSBundle::mainBundle().bundleIdentifier().value_or("com.apple.springboard"));

    springboard::RunLoopServer server(std::move(listening), [&](const PList::Dictionary& request) {
        return springBoard.handle(request);
    });
    server.attach(CFRunLoopGetCurrent());
    for (;;) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 3600, false);
}
