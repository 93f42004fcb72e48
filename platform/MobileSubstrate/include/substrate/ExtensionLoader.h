// MobileSubstrate's loader: the host process calls it once at start to bring in the
// extensions meant for it. An extension is a library NAME.dylib in the extensions folder with
// a filter property list NAME.plist beside it: {Filter: {Bundles: [bundle identifiers]}}.
// Its initialisation routine runs when it is loaded.
#pragma once

#include <string>
#include <vector>

namespace substrate {

inline constexpr const char* kDynamicLibrariesFolder = "/Library/MobileSubstrate/DynamicLibraries";

// Loads, in name order, every extension in `folder` (a device path) whose filter names
// `bundleIdentifier`. Extensions without a usable filter, meant for other bundles, or that fail
// to load are skipped with a log line. Returns the file names of the loaded ones. Loaded
// extensions stay for the life of the process.
std::vector<std::string> loadExtensions(const std::string& folder,
                                        const std::string& bundleIdentifier);

}  // namespace substrate
