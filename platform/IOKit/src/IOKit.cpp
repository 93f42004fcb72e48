#include <backend/Backend.h>

#include <sstream>

#include "RunLoopInternals.h"

struct IONotificationPort {
    io_connect_t connection = 0;
    void* refcon = nullptr;
    IOServiceInterestCallback callback = nullptr;
    __CFRunLoopSource source;
};

namespace {
std::string hex(natural_t value) {
    std::ostringstream out;
    out << "0x" << std::uppercase << std::hex << value;
    return out.str();
}
}  // namespace

io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier) {
    platform::Backend& backend = platform::backend();
    backend.record("IORegisterForSystemPower()");
    const platform::Backend::PowerRegistration reg = backend.registerForSystemPower();
    if (reg.connection == 0) return 0;
    auto* port = new IONotificationPort;  // freed by IONotificationPortDestroy
    port->connection = reg.connection;
    port->refcon = refcon;
    port->callback = callback;
    port->source.fd = reg.eventFd;
    port->source.handler = [port] {
        natural_t type = 0;
        long argument = 0;
        while (platform::backend().nextPowerMessage(port->connection, &type, &argument))
            if (port->callback)
                port->callback(port->refcon, 0, type, reinterpret_cast<void*>(argument));
    };
    if (thePortRef) *thePortRef = port;
    if (notifier) *notifier = reg.notifier;
    return reg.connection;
}

CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify) {
    return notify ? &notify->source : nullptr;
}

IOReturn IOAllowPowerChange(io_connect_t kernelPort, long notificationID) {
    platform::backend().record("IOAllowPowerChange(" + std::to_string(kernelPort) + ", " +
                               std::to_string(notificationID) + ")");
    return platform::backend().answerPowerChange(kernelPort, notificationID, true);
}

IOReturn IOCancelPowerChange(io_connect_t kernelPort, long notificationID) {
    platform::backend().record("IOCancelPowerChange(" + std::to_string(kernelPort) + ", " +
                               std::to_string(notificationID) + ")");
    return platform::backend().answerPowerChange(kernelPort, notificationID, false);
}

IOReturn IODeregisterForSystemPower(io_object_t* notifier) {
    platform::backend().record("IODeregisterForSystemPower(" +
                               std::to_string(notifier ? *notifier : 0) + ")");
    if (!notifier) return kIOReturnError;
    return platform::backend().deregisterForSystemPower(*notifier);
}

kern_return_t IOServiceClose(io_connect_t connect) {
    platform::backend().record("IOServiceClose(" + std::to_string(connect) + ")");
    return platform::backend().serviceClose(connect);
}

void IONotificationPortDestroy(IONotificationPortRef notify) {
    platform::backend().record("IONotificationPortDestroy()");
    delete notify;
}

// Kept for readable logs and test failures.
std::string platformPowerMessageName(natural_t type) {
    switch (type) {
        case kIOMessageCanSystemSleep:
            return "kIOMessageCanSystemSleep";
        case kIOMessageSystemWillSleep:
            return "kIOMessageSystemWillSleep";
        case kIOMessageSystemWillNotSleep:
            return "kIOMessageSystemWillNotSleep";
        case kIOMessageSystemHasPoweredOn:
            return "kIOMessageSystemHasPoweredOn";
        case kIOMessageSystemWillPowerOn:
            return "kIOMessageSystemWillPowerOn";
        default:
            return hex(type);
    }
}
