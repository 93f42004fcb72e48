#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <wire/DevicePaths.h>
#include <wire/SystemVersion.h>

namespace wire {

namespace {
constexpr const char* kVersionKey = "ProductVersion";
}  // namespace

std::string systemVersion(const std::string& hostRoot) {
    const base::PlistFile file = base::readPlistFile(inRoot(hostRoot, paths::kSystemVersion));
    const PList::Dictionary* dict = file.dictionary();
    return dict ? base::stringAt(*dict, kVersionKey).value_or("") : "";
}

bool writeSystemVersion(const std::string& hostRoot, const std::string& version) {
    PList::Dictionary dict;
    dict.Set("ProductName", PList::String("iPhone OS"));
    dict.Set(kVersionKey, PList::String(version));
    return base::writeFileAtomically(inRoot(hostRoot, paths::kSystemVersion),
                                     base::plistToXml(dict));
}

}  // namespace wire
