#include "DeviceLayout.h"

#include <sys/stat.h>
#include <wire/DevicePaths.h>
#include <wire/DeviceZone.h>
#include <wire/SystemVersion.h>

#include <filesystem>
#include <regex>

#include "Simctl.h"

namespace simctl {

namespace fs = std::filesystem;

bool validSystemVersion(const std::string& version) {
    static const std::regex pattern("[0-9]+(\\.[0-9]+)*");
    return version.size() < 32 && std::regex_match(version, pattern);
}

void layOutDevice(const std::string& dir, const std::string& version, const std::string& zone,
                  const std::string& firmware) {
    std::error_code ec;
    if (fs::exists(dir, ec) && (!fs::is_directory(dir, ec) || !fs::is_empty(dir, ec)))
        throw CommandError(dir + ": already exists and is not an empty folder");
    fs::create_directories(dir, ec);
    if (ec) throw CommandError(dir + ": cannot create the folder: " + ec.message());
    const std::string root = fs::canonical(dir).string();

    // As on the phone, /var and /tmp live under /private; the folders below are made through
    // those links.
    fs::create_directories(root + "/private/var", ec);
    fs::create_directory_symlink("private/var", root + "/var", ec);
    fs::create_directory_symlink("private/var/tmp", root + "/tmp", ec);
    namespace paths = wire::paths;
    const auto folderOf = [](const char* file) { return fs::path(file).parent_path().string(); };
    for (const std::string& folder : std::initializer_list<std::string>{
             paths::kPreferences, "/var/mobile/Library/Preferences",
             folderOf(paths::kLocalNotifications), folderOf(paths::kOverrides),
             folderOf(paths::kAutoWake), paths::kLogFolder, paths::kRunFolder, paths::kDpkgInfo,
             paths::kTemporary, paths::kLaunchDaemons, folderOf(paths::kSystemVersion),
             "/System/Library/PrivateFrameworks", paths::kDynamicLibraries,
             "/Library/LaunchDaemons", "/Applications", "/bin", "/usr/lib", "/usr/bin"})
        fs::create_directories(wire::inRoot(root, folder), ec);
    chmod(wire::inRoot(root, paths::kRunFolder).c_str(), 0700);

    if (fs::is_directory(firmware, ec)) {
        fs::copy(firmware, root,
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks |
                     fs::copy_options::overwrite_existing,
                 ec);
        if (ec)
            throw CommandError("cannot copy the firmware from " + firmware + ": " + ec.message());
    }

    if (!wire::writeSystemVersion(root, version))
        throw CommandError(dir + ": cannot write the system version");
    std::string error;
    if (!wire::setDeviceZone(root, zone, &error)) throw CommandError(dir + ": " + error);
}

}  // namespace simctl
