#pragma once

#include <Foundation/Foundation.h>

// Receiver of the power questions. Every operation is optional: PowerController asks
// respondsToSelector before each call, and a missing one means sleep is allowed.
class PowerControllerDelegate {
  public:
    enum class Selector { systemPoweredOn, systemWantsToSleep, systemMustSleep };
    virtual ~PowerControllerDelegate() = default;
    virtual BOOL respondsToSelector(Selector selector) const = 0;
    virtual void systemPoweredOn() {}
    // YES: the system may sleep.
    virtual BOOL systemWantsToSleep() { return YES; }
    virtual BOOL systemMustSleep() { return YES; }
};
