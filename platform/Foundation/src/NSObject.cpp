#include "NSObjectValue.h"

// Each object's contents live in one shared, never-changed value: copies are cheap and
// independent.
NSObject::NSObject(NSString string) : value_(NSObjectAccess::hold(std::move(string))) {}
NSObject::NSObject(const char* string) {
    if (string) value_ = NSObjectAccess::hold(NSString(string));
}
NSObject::NSObject(NSNumber number) : value_(NSObjectAccess::hold(number)) {}
NSObject::NSObject(NSDate date) : value_(NSObjectAccess::hold(date)) {}
NSObject::NSObject(NSData data) : value_(NSObjectAccess::hold(std::move(data))) {}
NSObject::NSObject(NSArray array) : value_(NSObjectAccess::hold(std::move(array))) {}
NSObject::NSObject(NSDictionary dictionary) : value_(NSObjectAccess::hold(std::move(dictionary))) {}

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
