// The runtime's two built-in classes, for processes that have no object framework of their
// own: the root class "NSObject" (answers respondsToSelector:) and "NSString" (immutable text;
// answers isEqualToString:, UTF8String and length).
#pragma once

#include <objc/objc.h>

#include <string>
#include <string_view>

namespace objc {

// A new NSString object holding `text`.
StrongId makeString(std::string_view text);
// The text of an NSString object (or of an instance of a subclass); null for null and for
// objects of other classes.
const std::string* stringValue(id object);
// Whether `object` is an instance of `cls` or of one of its subclasses.
bool isKindOfClass(id object, Class cls);

Class rootObjectClass();  // "NSObject"
Class stringClass();      // "NSString"

}  // namespace objc
