#include "ScreenPower.h"

#include <CoreFoundationInternal.h>

#include <QApplication>
#include <QWidget>

#include "WindowWidget.h"

namespace uikit {

namespace {
void turnScreensOff(bool off) {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<WindowWidget*>(top)) window->setScreenOff(off);
}
}  // namespace

ScreenPower::ScreenPower() {
    connection_ = IORegisterForSystemPower(this, &port_, &ScreenPower::powerMessage, &notifier_);
    if (!connection_) return;
    // The application's loop is Qt's: it serves the port's source when its descriptor is
    // readable, as the phone's run loop would.
    CFRunLoopSourceRef source = IONotificationPortGetRunLoopSource(port_);
    readable_ = std::make_unique<QSocketNotifier>(platform::runLoopSourceDescriptor(source),
                                                  QSocketNotifier::Read);
    connect(readable_.get(), &QSocketNotifier::activated, this,
            [source] { platform::performRunLoopSource(source); });
}

ScreenPower::~ScreenPower() {
    if (!connection_) return;
    readable_.reset();
    IODeregisterForSystemPower(&notifier_);
    IOServiceClose(connection_);
    IONotificationPortDestroy(port_);
}

void ScreenPower::powerMessage(void* refcon, io_service_t, natural_t type, void* argument) {
    static_cast<ScreenPower*>(refcon)->handle(type, reinterpret_cast<long>(argument));
}

void ScreenPower::handle(natural_t type, long argument) {
    switch (type) {
        case kIOMessageCanSystemSleep:
            IOAllowPowerChange(connection_, argument);
            break;
        case kIOMessageSystemWillSleep:
            turnScreensOff(true);  // on the display before the answer lets the device sleep
            IOAllowPowerChange(connection_, argument);
            break;
        case kIOMessageSystemHasPoweredOn:
            turnScreensOff(false);
            break;
        default:
            break;
    }
}

}  // namespace uikit
