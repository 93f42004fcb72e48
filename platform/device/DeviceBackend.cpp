// Placeholder until the simulated device's client lands.
#include "backend/Backend.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
std::string deviceRootFromEnvironment() {
    const char* root = std::getenv("SIMDEVICE_ROOT");
    return root ? root : "";
}
Backend& deviceBackend() {
    std::fprintf(stderr, "%s: not running on a simulated device\n",
                 program_invocation_short_name);
    std::exit(69);
}
}  // namespace platform
