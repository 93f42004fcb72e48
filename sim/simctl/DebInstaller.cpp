#include "DebInstaller.h"

#include <base/AtomicFile.h>
#include <base/ScopedFd.h>
#include <fcntl.h>
#include <unistd.h>
#include <wire/DevicePaths.h>
#include <wire/SystemVersion.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ControlParagraph.h"
#include "DpkgStatus.h"
#include "PackageDepends.h"
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

// What the device offers a package's Depends: its installed packages, and its system version
// (SystemVersion.plist's ProductVersion) as the package "firmware", as the phone's package
// managers give it.
InstalledPackages offeredPackages(const std::string& root, const DpkgStatus& status) {
    InstalledPackages offered = status.installed();
    if (const std::string version = wire::systemVersion(root); !version.empty())
        offered["firmware"] = version;
    return offered;
}

// A CommandError naming every dependency the device does not satisfy, before anything of the
// package is written.
void refuseUnmetDepends(const std::string& root, const std::string& debPath,
                        const ControlParagraph& control, const DpkgStatus& status) {
    const InstalledPackages offered = offeredPackages(root, status);
    std::string problems;
    for (const std::string field : {"Pre-Depends", "Depends"}) {
        std::vector<std::string> unmet;
        try {
            unmet = unmetDepends(control.value(field), offered);
        } catch (const CommandError& error) {
            unmet = {"its " + field + " field is malformed: " + error.what()};
        }
        for (const std::string& problem : unmet)
            problems += (problems.empty() ? "" : "; ") + problem;
    }
    if (!problems.empty())
        throw CommandError(debPath + ": " + control.value("Package") +
                           " cannot be installed on this device: " + problems);
}

}  // namespace

InstallResult installPackage(const std::string& root, const std::string& debPath) {
    std::error_code ec;
    if (!fs::is_regular_file(debPath, ec)) throw CommandError(debPath + ": no such package file");
    std::string controlText;
    if (runTool({"dpkg-deb", "--field", debPath}, &controlText) != 0)
        throw CommandError(debPath + ": not a Debian package (dpkg-deb cannot read it)");
    std::vector<ControlParagraph> paragraphs =
        ControlParagraph::parseAll(controlText, debPath + ": its control file");
    if (paragraphs.size() != 1)
        throw CommandError(debPath + ": its control file is not one paragraph of fields");
    const ControlParagraph& control = paragraphs.front();
    const std::string name = control.value("Package");
    if (name.empty() || name.find_first_of("/ \t\n") != std::string::npos || name.front() == '.')
        throw CommandError(debPath + ": the package has no usable name");
    InstallResult result;
    result.package = name;
    DpkgStatus status = DpkgStatus::read(root);
    refuseUnmetDepends(root, debPath, control, status);

    // The file system of the package, extracted with tar so the root's /var -> /private/var
    // link survives a package that ships files under /var.
    const std::string tarFile =
        wire::inRoot(root, std::string(wire::paths::kTemporary) + "/simctl-install-" +
                               std::to_string(getpid()) + ".tar");
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
    const std::string controlCopy = control.text();
    base::writeFileAtomically(info + "/" + name + ".control",
                              {controlCopy.begin(), controlCopy.end()});
    // Recorded as installed, so that a later package may depend on this one.
    status.record(control);
    if (!status.write(root))
        throw CommandError(debPath + ": the package cannot be recorded in " +
                           std::string(wire::paths::kDpkgStatus));
    return result;
}

}  // namespace simctl
