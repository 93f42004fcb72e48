#include <Foundation/Foundation.h>
#include <backend/Backend.h>
#include <backend/Probes.h>
#include <base/AtomicFile.h>

#include <cstdio>

namespace {
std::unique_ptr<NSUserDefaults>& standardSlot() {
    static std::unique_ptr<NSUserDefaults> instance;
    return instance;
}

// Registrations carried over a reset that keeps them, until the next instance takes them.
std::unique_ptr<PList::Dictionary>& keptRegistrations() {
    static std::unique_ptr<PList::Dictionary> registered;
    return registered;
}

std::unique_ptr<PList::Dictionary> loadDomain(const NSString& devicePath) {
    auto plist =
        NSPropertyListSerialization::propertyListFromDataMutabilityOptionFormatErrorDescription(
            NSData::dataWithContentsOfFile(devicePath), NSPropertyListMutableContainersAndLeaves,
            nullptr, nullptr);
    if (auto* dict = NSDynamicCast<PList::Dictionary>(plist.get())) {
        plist.release();
        return std::unique_ptr<PList::Dictionary>(dict);
    }
    // A missing, unreadable or corrupt file reads as an empty domain.
    return std::make_unique<PList::Dictionary>();
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
      registered_(keptRegistrations() ? std::move(keptRegistrations())
                                      : std::make_unique<PList::Dictionary>()) {
    values_ = loadDomain(filePath());
}

NSUserDefaults::~NSUserDefaults() = default;

NSString NSUserDefaults::filePath() const {
    return platform::filesService().homeDirectory() + "/Library/Preferences/" + domain_ + ".plist";
}

void NSUserDefaults::registerDefaults(const NSDictionary& registrationDictionary) {
    platform::probe::report(
        [&] { return platform::probe::DefaultsRegistered{registrationDictionary.GetSize()}; });
    for (auto it = registrationDictionary.Begin(); it != registrationDictionary.End(); ++it)
        registered_->Set(it->first, it->second);
}

const PList::Node* NSUserDefaults::lookup(const NSString& key) const {
    auto it = values_->Find(key);
    if (it != values_->End()) return it->second;
    auto reg = registered_->Find(key);
    return reg != registered_->End() ? reg->second : nullptr;
}

std::unique_ptr<PList::Node> NSUserDefaults::objectForKey(const NSString& key) const {
    const PList::Node* node = lookup(key);
    return node ? std::unique_ptr<PList::Node>(node->Clone()) : nullptr;
}

namespace {
// A stored value that is no number falls back to the registered default, then to zero.
std::optional<NSNumber> numberFor(const PList::Dictionary& values,
                                  const PList::Dictionary& registered, const NSString& key) {
    auto it = values.Find(key);
    if (it != values.End())
        if (auto number = NSNumber::fromPropertyList(it->second)) return number;
    auto reg = registered.Find(key);
    if (reg != registered.End()) return NSNumber::fromPropertyList(reg->second);
    return std::nullopt;
}
}  // namespace

NSInteger NSUserDefaults::integerForKey(const NSString& key) const {
    auto number = numberFor(*values_, *registered_, key);
    return number ? number->integerValue() : 0;
}

BOOL NSUserDefaults::boolForKey(const NSString& key) const {
    auto number = numberFor(*values_, *registered_, key);
    return number ? number->boolValue() : NO;
}

NSString NSUserDefaults::stringForKey(const NSString& key) const {
    const auto* s = NSDynamicCast<PList::String>(lookup(key));
    return s ? s->GetValue() : NSString();
}

namespace {
void reportWrite(platform::probe::DefaultsChange change, const NSString& key) {
    platform::probe::report([&] { return platform::probe::DefaultsWritten{change, key}; });
}
}  // namespace

void NSUserDefaults::setObjectForKey(const NSNumber& value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::object, key);
    values_->Set(key, value.propertyListValue().get());
}

void NSUserDefaults::setObjectForKey(const PList::Node& value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::object, key);
    values_->Set(key, value);
}

void NSUserDefaults::setBoolForKey(BOOL value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::boolean, key);
    values_->Set(key, PList::Boolean(value));
}

void NSUserDefaults::setIntegerForKey(NSInteger value, const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::integer, key);
    values_->Set(key, PList::Integer(static_cast<uint64_t>(value)));
}

void NSUserDefaults::removeObjectForKey(const NSString& key) {
    reportWrite(platform::probe::DefaultsChange::removal, key);
    values_->Remove(key);
}

BOOL NSUserDefaults::synchronize() {
    platform::probe::report([] { return platform::probe::DefaultsSynchronized{}; });
    const NSData data = NSPropertyListSerialization::dataFromPropertyListFormatErrorDescription(
        *values_, NSPropertyListXMLFormat_v1_0, nullptr);
    return base::writeFileAtomically(platform::hostPath(filePath()), data.bytes());
}
