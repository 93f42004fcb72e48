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
        const wire::DevicePath path = wire::normalDevicePath(line);
        // tar itself refuses a name with "..", so the package is refused before anything of it
        // is written.
        if (path.hasDotDot) {
            if (error)
                *error = path.climbsOut ? "the package holds a path outside the root: " + line
                                        : "the package holds a path with \"..\": " + line;
            return {};
        }
        if (path.path == "/") continue;
        paths.push_back(path.path);
    }
    return paths;
}

std::string linkOutOfRoot(const std::string& unpacked) {
    std::error_code ec;
    const fs::path top = fs::canonical(unpacked, ec);
    if (ec) return "the unpacked package cannot be read";
    for (auto it = fs::recursive_directory_iterator(top, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (!it->is_symlink(ec)) continue;
        const std::string device = wire::deviceView(top.string(), it->path().string()).value_or("");
        const fs::path target = fs::read_symlink(it->path(), ec);
        const std::string link = device + " -> " + target.string();
        // On the phone an absolute target is a device path; here the host would follow it.
        if (target.is_absolute()) return link + " (an absolute target)";
        if (wire::normalDevicePath((fs::path(device).parent_path() / target).string()).climbsOut)
            return link;
        // Through the package's own links too.
        const fs::path leads = fs::weakly_canonical(it->path(), ec);
        if (ec || !wire::deviceView(top.string(), leads.string())) return link;
    }
    return ec ? "the unpacked package cannot be read: " + ec.message() : "";
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
    // Unpacked aside first: a link that leads out of the root refuses the package before
    // anything of it reaches the root.
    const std::string aside = tarFile + ".d";
    struct RemoveAside {
        std::string path;
        ~RemoveAside() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } removeAside{aside};
    if (!base::makeDirectories(aside) ||
        runTool({"tar", "-xf", tarFile, "-C", aside, "--no-same-owner"}, nullptr) != 0)
        throw CommandError(debPath + ": the package could not be unpacked");
    if (const std::string link = linkOutOfRoot(aside); !link.empty())
        throw CommandError(debPath + ": the package holds a link out of the root: " + link);

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
