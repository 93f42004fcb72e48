#include <wire/DevicePaths.h>

#include <vector>

namespace wire {

std::string serviceSocket(const std::string& service) {
    return std::string(paths::kRunFolder) + "/" + service + ".sock";
}

DevicePath normalDevicePath(const std::string& path) {
    DevicePath out;
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            out.hasDotDot = true;
            if (parts.empty())
                out.climbsOut = true;
            else
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty()) parts.emplace_back();  // the root: one "/" with nothing after it
    for (const std::string& part : parts) {
        out.path.push_back('/');
        out.path.append(part);
    }
    return out;
}

std::string inRoot(const std::string& hostRoot, const std::string& devicePath) {
    const std::string normal = normalDevicePath(devicePath).path;
    return normal == "/" ? hostRoot : hostRoot + normal;
}

std::optional<std::string> deviceView(const std::string& hostRoot, const std::string& hostPath) {
    if (hostRoot.empty() || hostPath.empty() || hostPath.front() != '/') return std::nullopt;
    // Lexically, as the root's own spelling: ROOT/x/../../y lies outside ROOT.
    const std::string host = normalDevicePath(hostPath).path;
    const std::string root = normalDevicePath(hostRoot).path;
    if (root == "/") return host;
    if (host.compare(0, root.size(), root) != 0) return std::nullopt;
    if (host.size() == root.size()) return std::string("/");
    if (host[root.size()] != '/') return std::nullopt;  // a sibling such as ROOT2/x
    return host.substr(root.size());
}

std::string resolveDeviceArgument(const std::string& hostRoot, const std::string& path) {
    if (auto device = deviceView(hostRoot, path)) return inRoot(hostRoot, *device);
    return inRoot(hostRoot, path);
}

}  // namespace wire
