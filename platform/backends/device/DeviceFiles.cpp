#include "DeviceFiles.h"

#include <base/PlistFile.h>
#include <wire/DevicePaths.h>

#include <filesystem>

#include "DeviceLinks.h"

namespace platform::device {

DeviceFiles& DeviceFiles::instance() {
    static DeviceFiles* files = new DeviceFiles;  // never destroyed, as the links
    return *files;
}

std::string DeviceFiles::deviceRoot() { return DeviceLinks::instance().root(); }

std::string DeviceFiles::mainBundlePath() {
    std::error_code ec;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::string folder = ec ? std::string() : executable.parent_path().string();
    return wire::deviceView(deviceRoot(), folder).value_or(folder);
}

std::string DeviceFiles::systemVersion() {
    // Read at every call: the system tests the version afresh at every use.
    base::PlistFile file =
        base::readPlistFile(wire::inRoot(deviceRoot(), wire::paths::kSystemVersion));
    const PList::Dictionary* dict = file.dictionary();
    const PList::String* version = dict ? base::stringAt(*dict, "ProductVersion") : nullptr;
    return version ? version->GetValue() : "";
}

}  // namespace platform::device
