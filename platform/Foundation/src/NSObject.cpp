#include "NSObjectValue.h"

namespace {
template <class T>
auto hold(T&& kind) {
    return NSObjectAccess::hold(std::forward<T>(kind));
}
}  // namespace

NSObject::NSObject(NSString string) : value_(hold(std::move(string))) {}
NSObject::NSObject(const char* string) {
    if (string) value_ = hold(NSString(string));
}
NSObject::NSObject(NSNumber number) : value_(hold(number)) {}
NSObject::NSObject(NSDate date) : value_(hold(date)) {}
NSObject::NSObject(NSData data) : value_(hold(std::move(data))) {}
NSObject::NSObject(NSArray array) : value_(hold(std::move(array))) {}
NSObject::NSObject(NSDictionary dictionary) : value_(hold(std::move(dictionary))) {}

bool NSObject::operator==(const NSObject& other) const {
    if (value_ == other.value_) return true;
    if (!value_ || !other.value_) return false;
    return value_->kind == other.value_->kind;
}

template <class T>
std::optional<T> NSDynamicCast(const NSObject& object) {
    const NSObjectAccess::Value* value = NSObjectAccess::value(object);
    if (!value) return std::nullopt;
    if (const T* held = std::get_if<T>(&value->kind)) return *held;
    return std::nullopt;
}
template std::optional<NSString> NSDynamicCast<NSString>(const NSObject&);
template std::optional<NSNumber> NSDynamicCast<NSNumber>(const NSObject&);
template std::optional<NSDate> NSDynamicCast<NSDate>(const NSObject&);
template std::optional<NSData> NSDynamicCast<NSData>(const NSObject&);
template std::optional<NSArray> NSDynamicCast<NSArray>(const NSObject&);
template std::optional<NSDictionary> NSDynamicCast<NSDictionary>(const NSObject&);

// ---------------------------------------------------------------- NSArray

NSObject NSArray::objectAtIndex(NSUInteger index) const {
    return index < objects_.size() ? objects_[index] : NSObject();
}

void NSArray::addObject(const NSObject& object) {
    if (object) objects_.push_back(object);
}

// ---------------------------------------------------------------- NSDictionary

NSObject NSDictionary::objectForKey(const NSString& key) const {
    auto it = objects_.find(key);
    return it != objects_.end() ? it->second : NSObject();
}

std::vector<NSString> NSDictionary::allKeys() const {
    std::vector<NSString> keys;
    keys.reserve(objects_.size());
    for (const auto& [key, object] : objects_) keys.push_back(key);
    return keys;
}

void NSDictionary::setObjectForKey(const NSObject& object, const NSString& key) {
    if (!object) {
        objects_.erase(key);
        return;
    }
    objects_.insert_or_assign(key, object);
}

void NSDictionary::removeObjectForKey(const NSString& key) { objects_.erase(key); }
