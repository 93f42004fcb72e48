#include <objc/message.h>
#include <objc/runtime.h>

#include <cstdio>
#include <cstdlib>

#include "RuntimeTypes.h"

namespace objc {

Registry& registry() {
    // Never destroyed: libraries may still send messages while the process ends.
    static Registry* const instance = [] {
        auto* made = new Registry;
        installBuiltinClasses(*made);
        return made;
    }();
    return *instance;
}

Class createClass(Registry& registry, const std::string& name, Class superclass) {
    if (name.empty() || registry.classes.contains(name)) return nullptr;
    auto made = std::make_unique<objc_class>();
    made->name = name;
    made->superclass = superclass;
    Class cls = made.get();
    registry.classes.emplace(name, std::move(made));
    return cls;
}

SEL internSelector(Registry& registry, const std::string& name) {
    auto& slot = registry.selectors[name];
    if (!slot) slot = std::make_unique<objc_selector>(objc_selector{name});
    return slot.get();
}

void putMethod(Class cls, SEL name, IMP imp, const char* types) {
    auto method = std::make_unique<objc_method>();
    method->name = name;
    method->imp.store(imp);
    method->types = types ? types : "";
    cls->methods[name] = std::move(method);
}

namespace {
Method ownMethod(Class cls, SEL name) {
    auto it = cls->methods.find(name);
    return it == cls->methods.end() ? nullptr : it->second.get();
}

Method findMethod(Class cls, SEL name) {
    for (Class c = cls; c; c = c->superclass)
        if (Method m = ownMethod(c, name)) return m;
    return nullptr;
}
}  // namespace

[[noreturn]] void unrecognizedSelector(id receiver, SEL selector) {
    std::fprintf(stderr, "-[%s %s]: unrecognized selector sent to instance %p\n",
                 class_getName(object_getClass(receiver)), sel_getName(selector),
                 static_cast<void*>(receiver));
    std::abort();
}

}  // namespace objc

using objc::registry;

Class objc_getClass(const char* name) {
    if (!name) return nullptr;
    auto& r = registry();
    std::shared_lock lock(r.lock);
    auto it = r.classes.find(name);
    return it != r.classes.end() && it->second->registered ? it->second.get() : nullptr;
}

Class objc_allocateClassPair(Class superclass, const char* name, size_t) {
    if (!name) return nullptr;
    auto& r = registry();
    std::unique_lock lock(r.lock);
    return objc::createClass(r, name, superclass);
}

void objc_registerClassPair(Class cls) {
    if (!cls) return;
    std::unique_lock lock(registry().lock);
    cls->registered = true;
}

const char* class_getName(Class cls) { return cls ? cls->name.c_str() : "nil"; }

Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }

Class object_getClass(id object) { return object ? object->isa : nullptr; }

SEL sel_registerName(const char* name) {
    if (!name) return nullptr;
    auto& r = registry();
    std::lock_guard lock(r.selectorLock);
    return objc::internSelector(r, name);
}

const char* sel_getName(SEL selector) {
    return selector ? selector->name.c_str() : "<null selector>";
}

Method class_getInstanceMethod(Class cls, SEL name) {
    if (!cls || !name) return nullptr;
    std::shared_lock lock(registry().lock);
    return objc::findMethod(cls, name);
}

BOOL class_addMethod(Class cls, SEL name, IMP imp, const char* types) {
    if (!cls || !name || !imp) return false;
    std::unique_lock lock(registry().lock);
    if (objc::ownMethod(cls, name)) return false;
    objc::putMethod(cls, name, imp, types);
    return true;
}

IMP class_replaceMethod(Class cls, SEL name, IMP imp, const char* types) {
    if (!cls || !name || !imp) return nullptr;
    std::unique_lock lock(registry().lock);
    if (Method own = objc::ownMethod(cls, name)) return own->imp.exchange(imp);
    objc::putMethod(cls, name, imp, types);
    return nullptr;
}

IMP class_getMethodImplementation(Class cls, SEL name) {
    if (!cls || !name) return nullptr;
    std::shared_lock lock(registry().lock);
    Method m = objc::findMethod(cls, name);
    return m ? m->imp.load() : nullptr;
}

BOOL class_respondsToSelector(Class cls, SEL name) {
    return class_getMethodImplementation(cls, name) != nullptr;
}

SEL method_getName(Method method) { return method ? method->name : nullptr; }

IMP method_getImplementation(Method method) { return method ? method->imp.load() : nullptr; }

IMP method_setImplementation(Method method, IMP imp) {
    if (!method || !imp) return nullptr;
    return method->imp.exchange(imp);
}

const char* method_getTypeEncoding(Method method) {
    return method ? method->types.c_str() : nullptr;
}
