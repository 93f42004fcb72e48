#include "DebInstaller.h"

#include <base/AtomicFile.h>
#include <base/ScopedFd.h>
#include <fcntl.h>
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Simctl.h"

namespace simctl {

namespace fs = std::filesystem;

std::vector<std::string> devicePathsOfListing(const std::string& listing, std::string* error) {
    std::vector<std::string> paths;
    std::istringstream in(listing);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::string path = line;
        if (path.rfind("./", 0) == 0) path.erase(0, 1);
        if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        std::istringstream parts(path);
        std::string part;
        while (std::getline(parts, part, '/'))
            if (part == "..") {
                if (error) *error = "the package holds a path outside the root: " + line;
                return {};
            }
        if (path == "/") continue;
        paths.push_back(path);
    }
    return paths;
}

namespace {

void removeListedFiles(const std::string& root, const std::string& listFile) {
    std::ifstream in(listFile);
    std::vector<std::string> listed;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line != "/." && line.find("/../") == std::string::npos)
            listed.push_back(line);
    // Files and links first, then the folders that became empty, deepest first.
    std::error_code ec;
    for (const std::string& path : listed) {
        const fs::path host = wire::inRoot(root, path);
        if (fs::is_symlink(host, ec) || (fs::exists(host, ec) && !fs::is_directory(host, ec)))
            fs::remove(host, ec);
    }
    std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a > b; });
    for (const std::string& path : listed) {
        const fs::path host = wire::inRoot(root, path);
        if (!fs::is_symlink(host, ec) && fs::is_directory(host, ec) && fs::is_empty(host, ec))
            fs::remove(host, ec);
    }
}

}  // namespace

InstallResult installPackage(const std::string& root, const std::string& debPath) {
    std::error_code ec;
    if (!fs::is_regular_file(debPath, ec)) throw CommandError(debPath + ": no such package file");
    InstallResult result;
    std::string name;
    if (runTool({"dpkg-deb", "--field", debPath, "Package"}, &name) != 0)
        throw CommandError(debPath + ": not a Debian package (dpkg-deb cannot read it)");
    while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
    if (name.empty() || name.find('/') != std::string::npos || name.front() == '.')
        throw CommandError(debPath + ": the package has no usable name");
    result.package = name;

    // The file system of the package, extracted with tar so the root's /var -> /private/var
    // link survives a package that ships files under /var.
    const std::string tarFile =
        wire::inRoot(root, "/private/var/tmp/simctl-install-" + std::to_string(getpid()) + ".tar");
    struct Cleanup {
        std::string path;
        ~Cleanup() { unlink(path.c_str()); }
    } cleanup{tarFile};
    {
        const base::ScopedFd tar(
            open(tarFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (!tar) throw CommandError(tarFile + ": cannot write the package's files there");
        if (runToolInto({"dpkg-deb", "--fsys-tarfile", debPath}, tar.get()) != 0)
            throw CommandError(debPath + ": dpkg-deb cannot unpack the package");
    }
    std::string listing;
    if (runTool({"tar", "-tf", tarFile}, &listing) != 0)
        throw CommandError(debPath + ": the package's files cannot be listed");
    std::string error;
    result.files = devicePathsOfListing(listing, &error);
    if (!error.empty()) throw CommandError(debPath + ": " + error);

    const std::string info = wire::inRoot(root, wire::paths::kDpkgInfo);
    const std::string listFile = info + "/" + name + ".list";
    removeListedFiles(root, listFile);
    if (runTool({"tar", "-xf", tarFile, "-C", root, "--keep-directory-symlink", "--no-same-owner"},
                nullptr) != 0)
        throw CommandError(debPath + ": the package could not be unpacked into the root");

    // Without its list the next install could not take these files away again.
    std::string list = "/.\n";
    for (const std::string& path : result.files) list += path + "\n";
    if (!base::writeFileAtomically(listFile, {list.begin(), list.end()}))
        throw CommandError(debPath + ": the list of installed files cannot be written to " +
                           listFile);
    std::string control;
    runTool({"dpkg-deb", "--field", debPath}, &control);
    base::writeFileAtomically(info + "/" + name + ".control", {control.begin(), control.end()});
    return result;
}

}  // namespace simctl
