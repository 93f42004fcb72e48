#include <substrate.h>

#include <string>

IMP MSHookMessage(Class cls, SEL selector, IMP replacement, const char* prefix) {
    if (!cls || !selector || !replacement) return nullptr;
    Method method = class_getInstanceMethod(cls, selector);
    if (!method) return nullptr;
    const IMP previous = method_getImplementation(method);
    const char* types = method_getTypeEncoding(method);
    // The previous implementation must be reachable before the replacement can run.
    // A prefixed selector taken by an earlier hook keeps the earlier one, so no replacement
    // ever ends up calling itself.
    if (prefix && *prefix)
        class_addMethod(cls,
                        sel_registerName((std::string(prefix) + sel_getName(selector)).c_str()),
                        previous, types);
    // Adds an override when the method is inherited; the superclass keeps its own.
    class_replaceMethod(cls, selector, replacement, types);
    return previous;
}

void MSHookMessageEx(Class cls, SEL selector, IMP replacement, IMP* result) {
    const IMP previous = MSHookMessage(cls, selector, replacement, nullptr);
    if (result) *result = previous;
}
