#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <dlfcn.h>
#include <substrate/ExtensionLoader.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace substrate {
namespace {

namespace fs = std::filesystem;

// Why the filter keeps the extension out of this process; empty when it lets it in.
std::string filterRefusal(const std::string& filterDevicePath, const std::string& bundle) {
    const auto data = NSData::dataWithContentsOfFile(filterDevicePath);
    if (!data) return "it has no filter";
    const NSObject plist =
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            data, NSPropertyListImmutable, nullptr, nullptr);
    if (!plist) return "its filter is no property list";
    const auto root = NSDynamicCast<NSDictionary>(plist);
    const auto filter =
        root ? NSDynamicCast<NSDictionary>(root->objectForKey("Filter")) : std::nullopt;
    const auto bundles =
        filter ? NSDynamicCast<NSArray>(filter->objectForKey("Bundles")) : std::nullopt;
    if (!bundles) return "its filter names no bundles";
    for (NSUInteger i = 0; i < bundles->count(); ++i)
        if (NSDynamicCast<NSString>(bundles->objectAtIndex(i)) == bundle) return "";
    return "its filter does not name " + bundle;
}

std::vector<std::string> libraryNames(const std::string& hostFolder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(hostFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.extension() == ".dylib" && !it->is_directory(ec))
            names.push_back(path.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<std::string> loadExtensions(const std::string& folder,
                                        const std::string& bundleIdentifier) {
    std::vector<std::string> loaded;
    const std::string hostFolder = platform::hostPath(folder);
    if (!fs::is_directory(hostFolder)) {
        NSLog("MobileSubstrate: no extensions folder %s", folder.c_str());
        return loaded;
    }
    for (const std::string& name : libraryNames(hostFolder)) {
        const std::string base = name.substr(0, name.size() - std::string(".dylib").size());
        const std::string refusal = filterRefusal(folder + "/" + base + ".plist", bundleIdentifier);
        if (!refusal.empty()) {
            NSLog("MobileSubstrate: skipping %s: %s", name.c_str(), refusal.c_str());
            continue;
        }
        NSLog("MobileSubstrate: loading %s", name.c_str());
        // Never closed: an extension's replacements live as long as the process.
        if (!dlopen((hostFolder + "/" + name).c_str(), RTLD_NOW | RTLD_GLOBAL)) {
            const char* why = dlerror();
            NSLog("MobileSubstrate: %s failed to load: %s", name.c_str(), why ? why : "unknown");
            continue;
        }
        loaded.push_back(name);
    }
    return loaded;
}

}  // namespace substrate
