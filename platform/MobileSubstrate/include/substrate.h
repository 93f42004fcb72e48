// MobileSubstrate's method replacement, with its names and call shapes.
#pragma once

#include <objc/runtime.h>

extern "C" {
// Puts `replacement` in front of the instance method `selector` of `cls`: every later message
// `selector` to an instance of `cls` (or of a subclass that does not override it) runs the
// replacement. With a prefix, the previous implementation stays reachable on the class under
// the prefixed selector ("vigilant_" + "activateAlertItem:"). Returns the previous
// implementation; null, changing nothing, when the class is null or its instances do not
// answer `selector`. A superclass's own method is left as it is.
IMP MSHookMessage(Class cls, SEL selector, IMP replacement, const char* prefix);
// The same without a prefix; the previous implementation goes to `*result` when given.
void MSHookMessageEx(Class cls, SEL selector, IMP replacement, IMP* result);
}
