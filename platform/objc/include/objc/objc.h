// The object runtime's basic types, with the phone's names. Objects are C++ objects whose
// first base is objc_object; ownership follows C++ rules (StrongId) instead of reference
// counting. A process has one runtime: every library of it links the same libobjc.
#pragma once

#include <memory>

struct objc_class;
struct objc_selector;
struct objc_method;

// Every object knows its class. Subclasses in C++ carry the object's data.
struct objc_object {
    explicit objc_object(objc_class* cls) : isa(cls) {}
    virtual ~objc_object() = default;
    objc_object(const objc_object&) = delete;
    objc_object& operator=(const objc_object&) = delete;

    objc_class* isa;
};

using id = objc_object*;
using Class = objc_class*;
using SEL = objc_selector*;
using Method = objc_method*;
// An implementation, called through a cast to its exact function type
// (receiver, selector, arguments...).
using IMP = void (*)();
// Foundation spells BOOL the same way; YES and NO come from there (or are true and false).
using BOOL = bool;

// An owning reference to an object.
using StrongId = std::unique_ptr<objc_object>;
