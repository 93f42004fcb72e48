// The fuzzer runs on the in-process test platform only: it has no simulated device to reach.
#include <cstdio>
#include <cstdlib>

#include "backend/Backend.h"

namespace platform {
std::string deviceRootFromEnvironment() { return ""; }
Backend& deviceBackend() {
    std::fprintf(stderr, "guard fuzzer: the test platform is not installed\n");
    std::abort();
}
}  // namespace platform
