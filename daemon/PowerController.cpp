#include "PowerController.h"

void powerCallback(void* refcon, io_service_t, natural_t messageType, void* messageArgument) {
    static_cast<PowerController*>(refcon)->powerMessageReceivedWithArgument(messageType,
                                                                            messageArgument);
}

PowerController::PowerController(PowerControllerDelegate* delegate) : delegate_(delegate) {}

PowerController::~PowerController() { unregisterForPowerNotifications(); }

void PowerController::registerForPowerNotifications() {
    if (root_port != 0) return;
    root_port = IORegisterForSystemPower(this, &notificationPort, powerCallback, &notifier);
    if (root_port != 0) {
        registeredRunLoop = CFRunLoopGetCurrent();
        CFRunLoopAddSource(registeredRunLoop, IONotificationPortGetRunLoopSource(notificationPort),
                           kCFRunLoopCommonModes);
    }
}

void PowerController::unregisterForPowerNotifications() {
    if (root_port == 0) return;
    CFRunLoopRemoveSource(registeredRunLoop, IONotificationPortGetRunLoopSource(notificationPort),
                          kCFRunLoopCommonModes);
    // A failed end keeps the connection, so a later call tries again.
    if (IODeregisterForSystemPower(&notifier) == 0) {
        IOServiceClose(root_port);
        IONotificationPortDestroy(notificationPort);
        root_port = 0;
    }
}

void PowerController::answer(BOOL maySleep, void* messageArgument) {
    const long argument = reinterpret_cast<long>(messageArgument);
    if (maySleep)
        IOAllowPowerChange(root_port, argument);
    else
        IOCancelPowerChange(root_port, argument);
}

void PowerController::powerMessageReceivedWithArgument(natural_t messageType,
                                                       void* messageArgument) {
    using Selector = PowerControllerDelegate::Selector;
    PowerControllerDelegate* d = delegate_;
    switch (messageType) {
        case kIOMessageCanSystemSleep:
            answer(!(d && d->respondsToSelector(Selector::systemWantsToSleep)) ||
                       d->systemWantsToSleep(),
                   messageArgument);
            break;
        case kIOMessageSystemWillSleep:
            answer(!(d && d->respondsToSelector(Selector::systemMustSleep)) || d->systemMustSleep(),
                   messageArgument);
            break;
        case kIOMessageSystemHasPoweredOn:
            if (d && d->respondsToSelector(Selector::systemPoweredOn)) d->systemPoweredOn();
            break;
        default:
            break;
    }
}
