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
    const auto plist =
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            data, NSPropertyListImmutable, nullptr, nullptr);
    if (!plist) return "its filter is no property list";
    auto* root = NSDynamicCast<NSDictionary>(plist.get());
    NSDictionary* filter = nullptr;
    if (root) {
        auto it = root->Find("Filter");
        if (it != root->End()) filter = NSDynamicCast<NSDictionary>(it->second);
    }
    NSArray* bundles = nullptr;
    if (filter) {
        auto it = filter->Find("Bundles");
        if (it != filter->End()) bundles = NSDynamicCast<NSArray>(it->second);
    }
    if (!bundles) return "its filter names no bundles";
    for (uint32_t i = 0; i < plist_array_get_size(bundles->GetPlist()); ++i) {
        plist_t item = plist_array_get_item(bundles->GetPlist(), i);
        if (plist_get_node_type(item) != PLIST_STRING) continue;
        char* name = nullptr;
        plist_get_string_val(item, &name);
        const bool named = name && bundle == name;
        std::free(name);
        if (named) return "";
    }
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
