#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <backend/Probes.h>

#include <cstdio>

namespace {
std::unique_ptr<NSUserDefaults>& standardSlot() {
    static std::unique_ptr<NSUserDefaults> instance;
    return instance;
}

// Registrations carried over a reset that keeps them, until the next instance takes them.
std::optional<NSDictionary>& keptRegistrations() {
    static std::optional<NSDictionary> registered;
    return registered;
}

NSDictionary loadDomain(const NSString& devicePath) {
    const NSObject plist =
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            NSData::dataWithContentsOfFile(devicePath), NSPropertyListMutableContainersAndLeaves,
            nullptr, nullptr);
    // A missing, unreadable or corrupt file reads as an empty domain.
    return NSDynamicCast<NSDictionary>(plist).value_or(NSDictionary());
}
}  // namespace

NSUserDefaults& NSUserDefaults::standardUserDefaults() {
    auto& slot = standardSlot();
    if (!slot) slot = std::make_unique<NSUserDefaults>();
    return *slot;
}

void NSUserDefaults::resetStandardUserDefaults(bool keepRegisteredDefaults) {
    auto& slot = standardSlot();
    if (!keepRegisteredDefaults)
        keptRegistrations().reset();
    else if (slot)
        keptRegistrations() = std::move(slot->registered_);
    slot.reset();
}

NSUserDefaults::NSUserDefaults()
    : domain_(NSBundle::mainBundle().bundleIdentifier().value_or(
          NSProcessInfo::processInfo().processName())),
      registered_(std::move(keptRegistrations()).value_or(NSDictionary())) {
    keptRegistrations().reset();
    values_ = loadDomain(filePath());
}

NSUserDefaults::~NSUserDefaults() = default;

NSString NSUserDefaults::filePath() const {
    return platform::filesService().homeDirectory() + "/Library/Preferences/" + domain_ + ".plist";
}

void NSUserDefaults::registerDefaults(const NSDictionary& registrationDictionary) {
    platform::probe::report(
        [&] { return platform::probe::DefaultsRegistered{registrationDictionary.count()}; });
    for (const NSString& key : registrationDictionary.allKeys())
        registered_.setObjectForKey(registrationDictionary.objectForKey(key), key);
}

NSObject NSUserDefaults::lookup(const NSString& key) const {
    NSObject stored = values_.objectForKey(key);
    return stored ? stored : registered_.objectForKey(key);
}

NSObject NSUserDefaults::objectForKey(const NSString& key) const { return lookup(key); }

namespace {
// A stored value that is no number falls back to the registered default, then to zero.
std::optional<NSNumber> numberFor(const NSDictionary& values, const NSDictionary& registered,
                                  const NSString& key) {
    if (auto number = NSDynamicCast<NSNumber>(values.objectForKey(key))) return number;
    return NSDynamicCast<NSNumber>(registered.objectForKey(key));
}
}  // namespace

NSInteger NSUserDefaults::integerForKey(const NSString& key) const {
    auto number = numberFor(values_, registered_, key);
    return number ? number->integerValue() : 0;
}

BOOL NSUserDefaults::boolForKey(const NSString& key) const {
    auto number = numberFor(values_, registered_, key);
    return number ? number->boolValue() : NO;
}

NSString NSUserDefaults::stringForKey(const NSString& key) const {
    return NSDynamicCast<NSString>(lookup(key)).value_or(NSString());
}

namespace {
void reportWrite(platform::probe::DefaultsChange change, const NSString& key) {
    platform::probe::report([&] { return platform::probe::DefaultsWritten{change, key}; });
}
}  // namespace

void NSUserDefaults::setObjectForKey(const NSObject& value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::object, key);
    values_.setObjectForKey(value, key);
}

void NSUserDefaults::setBoolForKey(BOOL value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::boolean, key);
    values_.setObjectForKey(NSNumber::numberWithBool(value), key);
}

void NSUserDefaults::setIntegerForKey(NSInteger value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::integer, key);
    values_.setObjectForKey(NSNumber::numberWithInteger(value), key);
}

void NSUserDefaults::removeObjectForKey(const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::removal, key);
    values_.removeObjectForKey(key);
}

BOOL NSUserDefaults::synchronize() {
    platform::probe::report([] { return platform::probe::DefaultsSynchronized{}; });
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        values_, NSPropertyListXMLFormat_v1_0, nullptr);
    return data.writeToFileAtomically(filePath(), YES);
}
