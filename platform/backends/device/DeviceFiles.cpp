#include "DeviceFiles.h"

#include <sys/stat.h>
#include <wire/DevicePaths.h>
#include <wire/SystemVersion.h>

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
    // The system tests the version afresh at every use: the file is read again whenever it is
    // another file or was written since (its identity, size and times), and only then.
    const std::string path = wire::inRoot(deviceRoot(), wire::paths::kSystemVersion);
    const std::optional<FileStamp> stamp = FileStamp::of(path);
    std::lock_guard lock(mutex_);
    if (versionRead_ && stamp && versionStamp_ == stamp) return version_;
    version_ = wire::systemVersion(deviceRoot());
    versionStamp_ = stamp;
    versionRead_ = true;
    return version_;
}

}  // namespace platform::device
