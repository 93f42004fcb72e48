// The built-in root class and string class.
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>

#include "RuntimeTypes.h"

namespace objc {
namespace {

struct StringObject : objc_object {
    StringObject(Class cls, std::string_view value) : objc_object(cls), text(value) {}
    std::string text;
};

Class g_rootObjectClass = nullptr;
Class g_stringClass = nullptr;

BOOL respondsToSelector(id self, SEL, SEL selector) {
    return class_respondsToSelector(object_getClass(self), selector);
}

// Compares with any object: one that is no string (or null) is simply unequal.
BOOL isEqualToString(id self, SEL, id other) {
    const std::string* mine = stringValue(self);
    const std::string* theirs = stringValue(other);
    return mine && theirs && *mine == *theirs;
}

const char* utf8String(id self, SEL) {
    const std::string* text = stringValue(self);
    return text ? text->c_str() : nullptr;
}

unsigned long length(id self, SEL) {
    const std::string* text = stringValue(self);
    return text ? text->size() : 0;
}

}  // namespace

void installBuiltinClasses(Registry& r) {
    g_rootObjectClass = createClass(r, "NSObject", nullptr);
    putMethod(g_rootObjectClass, internSelector(r, "respondsToSelector:"),
              imp_fromFunction(&respondsToSelector), "c@::");
    g_rootObjectClass->registered = true;

    g_stringClass = createClass(r, "NSString", g_rootObjectClass);
    putMethod(g_stringClass, internSelector(r, "isEqualToString:"),
              imp_fromFunction(&isEqualToString), "c@:@");
    putMethod(g_stringClass, internSelector(r, "UTF8String"), imp_fromFunction(&utf8String), "*@:");
    putMethod(g_stringClass, internSelector(r, "length"), imp_fromFunction(&length), "Q@:");
    g_stringClass->registered = true;
}

Class rootObjectClass() {
    registry();
    return g_rootObjectClass;
}

Class stringClass() {
    registry();
    return g_stringClass;
}

bool isKindOfClass(id object, Class cls) {
    if (!object || !cls) return false;
    for (Class c = object_getClass(object); c; c = class_getSuperclass(c))
        if (c == cls) return true;
    return false;
}

StrongId makeString(std::string_view text) {
    return std::make_unique<StringObject>(stringClass(), text);
}

const std::string* stringValue(id object) {
    if (!isKindOfClass(object, stringClass())) return nullptr;
    // A subclass's instance may be a C++ type of its own; only ours hold text.
    auto* string = dynamic_cast<StringObject*>(object);
    return string ? &string->text : nullptr;
}

}  // namespace objc
