#include <backend/Backend.h>

namespace platform {
namespace {
Backend* g_override = nullptr;
}

Backend& backend() { return g_override ? *g_override : deviceBackend(); }

void setBackend(Backend* replacement) { g_override = replacement; }

std::string activeDeviceRoot() {
    return g_override ? g_override->deviceRoot() : deviceRootFromEnvironment();
}

std::string hostPath(const std::string& devicePath) {
    const std::string root = activeDeviceRoot();
    if (root.empty() || devicePath.empty() || devicePath.front() != '/') return devicePath;
    if (devicePath.compare(0, root.size(), root) == 0 &&
        (devicePath.size() == root.size() || devicePath[root.size()] == '/'))
        return devicePath;  // already resolved
    return root + devicePath;
}

}  // namespace platform
