// IOKit's system power interface: subscribe to the root power domain's messages and answer
// the sleep questions. Names, codes and call shapes follow Apple's IOPMLib.h and IOMessage.h.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOMessage.h>

#include <cstdint>

using kern_return_t = int;
using IOReturn = kern_return_t;
using natural_t = uint32_t;
using io_object_t = uint32_t;
using io_connect_t = uint32_t;
using io_service_t = uint32_t;

inline constexpr IOReturn kIOReturnSuccess = 0;
inline constexpr IOReturn kIOReturnError = static_cast<IOReturn>(0xE00002BC);
inline constexpr IOReturn kIOReturnNotOpen = static_cast<IOReturn>(0xE00002CD);
inline constexpr kern_return_t KERN_SUCCESS = 0;

struct IONotificationPort;
using IONotificationPortRef = IONotificationPort*;

using IOServiceInterestCallback = void (*)(void* refcon, io_service_t service,
                                           natural_t messageType, void* messageArgument);

// Returns the root-domain connection, or 0 on failure; fills in the port and the notifier.
io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* thePortRef,
                                      IOServiceInterestCallback callback, io_object_t* notifier);
IOReturn IODeregisterForSystemPower(io_object_t* notifier);
IOReturn IOAllowPowerChange(io_connect_t kernelPort, long notificationID);
IOReturn IOCancelPowerChange(io_connect_t kernelPort, long notificationID);
kern_return_t IOServiceClose(io_connect_t connect);
CFRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef notify);
void IONotificationPortDestroy(IONotificationPortRef notify);
