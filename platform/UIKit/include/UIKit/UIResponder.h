// The root of every object that an interface file can create and connect. As a nib does, the
// interface files name outlets and actions by text; each class answers for its own names and
// passes the rest to its base class.
#pragma once

#include <Foundation/Foundation.h>

#include <functional>
#include <memory>

class UIResponder;

// An action message bound to its target: called with the object that sent it.
using UIAction = std::function<void(UIResponder* sender)>;

class UIResponder {
  public:
    UIResponder() = default;
    virtual ~UIResponder() = default;
    UIResponder(const UIResponder&) = delete;
    UIResponder& operator=(const UIResponder&) = delete;

    // Connects the outlet `name` to `object` (null clears it). NO when the class has no such
    // outlet or the object is of the wrong kind.
    virtual BOOL setOutletNamed(const NSString& name, UIResponder* object) {
        (void)name;
        (void)object;
        return NO;
    }
    // Sets a plain attribute written in an interface file (a title, a nib name). NO when the
    // class has no such attribute.
    virtual BOOL setAttributeNamed(const NSString& name, const NSString& value) {
        (void)name;
        (void)value;
        return NO;
    }
    // The action `name` of this object bound to it; empty when the object has no such action.
    virtual UIAction actionNamed(const NSString& name) {
        (void)name;
        return {};
    }
    BOOL respondsToSelector(const NSString& name) { return static_cast<bool>(actionNamed(name)); }
};

// For setOutletNamed: connects `field` when `name` is `outlet` and the object has its type.
template <class T>
BOOL UIConnectOutlet(const NSString& name, UIResponder* object, const char* outlet, T*& field) {
    if (name != outlet) return NO;
    T* typed = dynamic_cast<T*>(object);
    if (object && !typed) return NO;
    field = typed;
    return YES;
}

// For actionNamed: the method bound to `target` when `name` is `action`.
template <class C>
UIAction UIBindAction(const NSString& name, const char* action, C* target,
                      void (C::*method)(UIResponder*)) {
    if (name != action) return {};
    return [target, method](UIResponder* sender) { (target->*method)(sender); };
}

// The classes that interface files may name. Registered at start-up by UIClassRegistration.
using UIClassFactory = std::function<std::unique_ptr<UIResponder>()>;
void UIRegisterClass(const NSString& name, UIClassFactory factory);
// A new object of the registered class `name`; null when no such class is registered.
std::unique_ptr<UIResponder> UICreateObjectOfClass(const NSString& name);

template <class T>
struct UIClassRegistration {
    explicit UIClassRegistration(const char* name) {
        UIRegisterClass(name, [] { return std::make_unique<T>(); });
    }
};
