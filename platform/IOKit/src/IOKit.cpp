#include <CoreFoundationInternal.h>
#include <IOKit/pwr_mgt/IOPMLib.h>
#include <backend/Backend.h>
#include <backend/Probes.h>

#include <memory>

struct IONotificationPort {
    io_connect_t connection = 0;
    void* refcon = nullptr;
    IOServiceInterestCallback callback = nullptr;
    std::unique_ptr<platform::DescriptorSource> source;  // of the connection's messages
};

namespace {
IOReturn returnOf(platform::PowerService::Result result) {
    switch (result) {
        case platform::PowerService::Result::ok:
            return kIOReturnSuccess;
        case platform::PowerService::Result::notOpen:
            return kIOReturnNotOpen;
        case platform::PowerService::Result::failed:
            break;
    }
    return kIOReturnError;
}
}  // namespace

io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier) {
    const platform::PowerService::Registration reg =
        platform::powerService().registerForSystemPower();
    if (reg.connection == 0) return 0;
    auto* port = new IONotificationPort;  // freed by IONotificationPortDestroy
    port->connection = reg.connection;
    port->refcon = refcon;
    port->callback = callback;
    port->source = std::make_unique<platform::DescriptorSource>(reg.eventFd, [port] {
        uint32_t type = 0;
        long argument = 0;
        while (platform::powerService().nextMessage(port->connection, &type, &argument))
            if (port->callback)
                port->callback(port->refcon, 0, type, reinterpret_cast<void*>(argument));
    });
    if (thePortRef) *thePortRef = port;
    if (notifier) *notifier = reg.notifier;
    return reg.connection;
}

CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify) {
    return notify ? notify->source->source() : nullptr;
}

IOReturn IOAllowPowerChange(io_connect_t kernelPort, long notificationID) {
    return returnOf(platform::powerService().answer(kernelPort, notificationID, true));
}

IOReturn IOCancelPowerChange(io_connect_t kernelPort, long notificationID) {
    return returnOf(platform::powerService().answer(kernelPort, notificationID, false));
}

IOReturn IODeregisterForSystemPower(io_object_t* notifier) {
    if (!notifier) return kIOReturnError;
    return returnOf(platform::powerService().deregister(*notifier));
}

kern_return_t IOServiceClose(io_connect_t connect) {
    return returnOf(platform::powerService().close(connect));  // KERN_SUCCESS is success
}

void IONotificationPortDestroy(IONotificationPortRef notify) {
    platform::probe::report([] { return platform::probe::NotificationPortDestroyed{}; });
    delete notify;
}
