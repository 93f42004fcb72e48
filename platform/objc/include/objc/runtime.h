// The object runtime's class and method registry, with the phone's names and call shapes.
// Safe to use from several threads.
#pragma once

#include <objc/objc.h>

#include <cstddef>

extern "C" {

// The class registered under `name`, or null.
Class objc_getClass(const char* name);
// A new class below `superclass` (null: a root class), not yet findable by name; null when
// the name is taken or empty. `extraBytes` is accepted for the platform's shape and unused:
// instance data lives in the C++ type of the instance.
Class objc_allocateClassPair(Class superclass, const char* name, size_t extraBytes);
// Makes the class findable by objc_getClass.
void objc_registerClassPair(Class cls);

const char* class_getName(Class cls);
Class class_getSuperclass(Class cls);
Class object_getClass(id object);

// Selectors are unique per name: two registrations of one name give the same SEL.
SEL sel_registerName(const char* name);
const char* sel_getName(SEL selector);

// The method of the class or of its nearest superclass that has one; null when none.
Method class_getInstanceMethod(Class cls, SEL name);
// Adds a method to the class itself. NO, changing nothing, when the class itself already has
// one for `name` (a superclass's method is overridden).
BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types);
// Adds the method, or replaces the implementation of the class's own method. Returns the
// previous implementation of the class's own method, or null.
IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types);
// The implementation a message `name` to an instance runs; null when instances don't answer
// it (the platform would hand out its forwarding trampoline instead).
IMP class_getMethodImplementation(Class cls, SEL name);
BOOL class_respondsToSelector(Class cls, SEL name);

SEL method_getName(Method method);
IMP method_getImplementation(Method method);
// Returns the previous implementation.
IMP method_setImplementation(Method method, IMP imp);
const char* method_getTypeEncoding(Method method);

}  // extern "C"

// Turns a function of the exact shape (id self, SEL _cmd, args...) into an IMP.
template <class R, class... Args>
IMP imp_fromFunction(R (*function)(id, SEL, Args...)) {
    return reinterpret_cast<IMP>(function);
}
