// The runtime's own structures. Classes, selectors and methods are created once and never
// destroyed, so the pointers handed out stay valid for the life of the process.
#pragma once

#include <objc/objc.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>

struct objc_selector {
    std::string name;
};

struct objc_method {
    SEL name = nullptr;
    // Atomic so that a message sent on one thread while another swaps the implementation
    // runs either the old or the new one.
    std::atomic<IMP> imp{nullptr};
    std::string types;
};

struct objc_class {
    std::string name;
    Class superclass = nullptr;
    bool registered = false;
    std::unordered_map<SEL, std::unique_ptr<objc_method>> methods;
};

namespace objc {

struct Registry {
    // Guards the class list and every class's method table; lookups take it shared.
    std::shared_mutex lock;
    std::unordered_map<std::string, std::unique_ptr<objc_class>> classes;
    std::mutex selectorLock;
    std::unordered_map<std::string, std::unique_ptr<objc_selector>> selectors;
};

// The process's registry, with the built-in classes in place.
Registry& registry();

// Building blocks for the built-in classes, used while the registry is being made (no locks).
Class createClass(Registry& registry, const std::string& name, Class superclass);
SEL internSelector(Registry& registry, const std::string& name);
void putMethod(Class cls, SEL name, IMP imp, const char* types);
void installBuiltinClasses(Registry& registry);

}  // namespace objc
