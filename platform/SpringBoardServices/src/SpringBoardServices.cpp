// SpringBoardServices, the private framework through which programs of iPhone OS 3 reach
// SpringBoard's status bar. Each call goes to the active platform backend, which on the
// simulated device asks SpringBoard.
#include <SpringBoardServices/SpringBoardServices.h>
#include <backend/Backend.h>

#include <string>

#define SBS_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string describe(const char* name) { return name ? name : "(null)"; }
}  // namespace

SBS_EXPORT mach_port_t SBSSpringBoardServerPort() {
    platform::backend().record("SBSSpringBoardServerPort()");
    return platform::backend().springBoardServerPort();
}

SBS_EXPORT void SBAddStatusBarItem(mach_port_t port, const char* name, int flags) {
    platform::backend().record("SBAddStatusBarItem(" + std::to_string(port) + ", " +
                               describe(name) + ", " + std::to_string(flags) + ")");
    if (!name) return;  // an item without a name cannot be shown
    platform::backend().springBoardStatusBarItem(port, name, true, flags);
}

#ifndef SBS_WITHOUT_REMOVE
SBS_EXPORT void SBRemoveStatusBarItem(mach_port_t port, const char* name) {
    platform::backend().record("SBRemoveStatusBarItem(" + std::to_string(port) + ", " +
                               describe(name) + ")");
    if (!name) return;
    platform::backend().springBoardStatusBarItem(port, name, false, 0);
}
#endif
