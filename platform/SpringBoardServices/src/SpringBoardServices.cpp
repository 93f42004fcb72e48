// SpringBoardServices, the private framework through which programs of iPhone OS 3 reach
// SpringBoard's status bar. Each call goes to the active platform backend, which on the
// simulated device asks SpringBoard.
#include <SpringBoardServices/SpringBoardServices.h>
#include <backend/Backend.h>

#include <string>

#define SBS_EXPORT extern "C" __attribute__((visibility("default")))

SBS_EXPORT mach_port_t SBSSpringBoardServerPort() {
    return platform::springBoardService().serverPort();
}

SBS_EXPORT void SBAddStatusBarItem(mach_port_t port, const char* name, int flags) {
    if (!name) return;  // an item without a name cannot be shown
    platform::springBoardService().statusBarItem(port, name, true, flags);
}

#ifndef SBS_WITHOUT_REMOVE
SBS_EXPORT void SBRemoveStatusBarItem(mach_port_t port, const char* name) {
    if (!name) return;
    platform::springBoardService().statusBarItem(port, name, false, 0);
}
#endif
