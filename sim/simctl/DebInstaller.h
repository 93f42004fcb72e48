// Installing a .deb into a device root with dpkg's own tools, as the phone's dpkg would: a
// package whose Depends the device cannot satisfy is refused before anything of it is
// written; an installed one is recorded in var/lib/dpkg/status, and the list of its files kept
// in var/lib/dpkg/info/NAME.list (device paths, as dpkg writes it) so that installing the
// package again first removes what the earlier version put there.
#pragma once

#include <string>
#include <vector>

namespace simctl {

struct InstallResult {
    std::string package;
    std::vector<std::string> files;  // device paths, folders included
};

// A CommandError when the package cannot be read, depends on what the device does not have,
// or holds a path that leaves the root.
InstallResult installPackage(const std::string& root, const std::string& debPath);

// Device paths of a tar listing ("./a/", "./a/b"), refusing names with ".." components.
std::vector<std::string> devicePathsOfListing(const std::string& listing, std::string* error);

// The first link in an unpacked package (the folder `unpacked` standing for the root) that
// leads out of the root, as "/a/link -> target"; empty when none does.
std::string linkOutOfRoot(const std::string& unpacked);

}  // namespace simctl
