#include <wire/DevicePaths.h>

namespace wire {

std::string inRoot(const std::string& hostRoot, const std::string& devicePath) {
    if (devicePath.empty() || devicePath.front() != '/') return hostRoot + "/" + devicePath;
    return hostRoot + devicePath;
}

std::optional<std::string> deviceView(const std::string& hostRoot, const std::string& hostPath) {
    if (hostRoot.empty() || hostPath.compare(0, hostRoot.size(), hostRoot) != 0)
        return std::nullopt;
    if (hostPath.size() == hostRoot.size()) return std::string("/");
    if (hostPath[hostRoot.size()] != '/') return std::nullopt;  // a sibling such as ROOT2/x
    return hostPath.substr(hostRoot.size());
}

std::string resolveDeviceArgument(const std::string& hostRoot, const std::string& path) {
    if (deviceView(hostRoot, path)) return path;
    return inRoot(hostRoot, path);
}

}  // namespace wire
