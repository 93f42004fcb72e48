// Sending messages. The platform's objc_msgSend is an assembly trampoline that callers cast to
// the method's type; here the cast is spelled by the template arguments instead:
//     objc_msgSendTyped<BOOL>(item, sel_registerName("respondsToSelector:"), selector)
#pragma once

#include <objc/runtime.h>

#include <type_traits>

namespace objc {
// Writes "-[Class selector]: unrecognized selector sent to instance" and aborts, as the
// platform does when nobody handles the message.
[[noreturn]] void unrecognizedSelector(id receiver, SEL selector);
}  // namespace objc

// Runs the receiver's method for `op` with `args`. A message to null does nothing and returns
// a zero value, as on the platform. R and Args must match the method's own types.
template <class R = void, class... Args>
R objc_msgSendTyped(id self, SEL op, Args... args) {
    if (!self) {
        if constexpr (std::is_void_v<R>)
            return;
        else
            return R{};
    }
    const IMP imp = class_getMethodImplementation(object_getClass(self), op);
    if (!imp) objc::unrecognizedSelector(self, op);
    return reinterpret_cast<R (*)(id, SEL, Args...)>(imp)(self, op, args...);
}
