#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

namespace {
std::unique_ptr<NSBundle>& mainSlot() {
    static std::unique_ptr<NSBundle> bundle;
    return bundle;
}

std::optional<NSDictionary> loadDictionary(const NSString& devicePath) {
    return NSDynamicCast<NSDictionary>(
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            NSData::dataWithContentsOfFile(devicePath), NSPropertyListImmutable, nullptr, nullptr));
}
}  // namespace

NSBundle& NSBundle::mainBundle() {
    auto& slot = mainSlot();
    if (!slot) {
        slot = std::make_unique<NSBundle>();
        slot->bundlePath_ = platform::filesService().mainBundlePath();
        slot->info_ = loadDictionary(slot->bundlePath_ + "/Info.plist");
        // The language in use is English; its strings are a property list, as on the phone.
        slot->localizedInfo_ = loadDictionary(slot->bundlePath_ + "/en.lproj/InfoPlist.strings");
    }
    return *slot;
}

void NSBundle::setMainBundle(NSString bundlePath, std::optional<NSDictionary> info,
                             std::optional<NSDictionary> localizedInfo) {
    auto bundle = std::make_unique<NSBundle>();
    bundle->bundlePath_ = std::move(bundlePath);
    bundle->info_ = std::move(info);
    bundle->localizedInfo_ = std::move(localizedInfo);
    mainSlot() = std::move(bundle);
}

void NSBundle::resetMainBundle() { mainSlot().reset(); }

std::optional<NSString> NSBundle::objectForInfoDictionaryKey(const NSString& key) const {
    if (!info_) return std::nullopt;
    return NSDynamicCast<NSString>(info_->objectForKey(key));
}

std::optional<NSString> NSBundle::bundleIdentifier() const {
    return objectForInfoDictionaryKey("CFBundleIdentifier");
}

NSString NSBundle::executablePath() const {
    return bundlePath_ + "/" + objectForInfoDictionaryKey("CFBundleExecutable").value_or("");
}

NSProcessInfo& NSProcessInfo::processInfo() {
    static NSProcessInfo info;
    return info;
}

NSString NSProcessInfo::processName() const { return platform::processService().name(); }

int NSProcessInfo::processIdentifier() const { return static_cast<int>(getpid()); }

void NSLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(needed > 0 ? static_cast<size_t>(needed) : 0, '\0');
    std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);
    platform::processService().log(line);
}
