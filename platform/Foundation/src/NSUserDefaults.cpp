#include <backend/Backend.h>
#include <base/AtomicFile.h>

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
    return platform::backend().homeDirectory() + "/Library/Preferences/" + domain_ + ".plist";
}

void NSUserDefaults::registerDefaults(const NSDictionary& registrationDictionary) {
    platform::backend().record("NSUserDefaults.registerDefaults(" +
                               std::to_string(registrationDictionary.count()) + " keys)");
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

void NSUserDefaults::setObjectForKey(const NSObject& value, const NSString& key) {
    platform::backend().record("NSUserDefaults.setObjectForKey(" + key + ")");
    values_.setObjectForKey(value, key);
}

void NSUserDefaults::setBoolForKey(BOOL value, const NSString& key) {
    platform::backend().record("NSUserDefaults.setBoolForKey(" + key + ")");
    values_.setObjectForKey(NSNumber::numberWithBool(value), key);
}

void NSUserDefaults::setIntegerForKey(NSInteger value, const NSString& key) {
    platform::backend().record("NSUserDefaults.setIntegerForKey(" + key + ")");
    values_.setObjectForKey(NSNumber::numberWithInteger(value), key);
}

void NSUserDefaults::removeObjectForKey(const NSString& key) {
    platform::backend().record("NSUserDefaults.removeObjectForKey(" + key + ")");
    values_.removeObjectForKey(key);
}

BOOL NSUserDefaults::synchronize() {
    platform::backend().record("NSUserDefaults.synchronize()");
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        values_, NSPropertyListXMLFormat_v1_0, nullptr);
    return base::writeFileAtomically(platform::hostPath(filePath()), data.bytes());
}
