// What an NSObject holds, for Foundation's own sources: one of the property-list kinds.
#pragma once

#include <Foundation/Foundation.h>

#include <variant>

struct NSObject::Value {
    std::variant<NSString, NSNumber, NSDate, NSData, NSArray, NSDictionary> kind;
};

struct NSObjectAccess {
    using Value = NSObject::Value;
    // Null for nil.
    static const Value* value(const NSObject& object) { return object.value_.get(); }
    template <class T>
    static std::shared_ptr<const Value> hold(T&& kind) {
        return std::make_shared<const Value>(Value{std::forward<T>(kind)});
    }
};
