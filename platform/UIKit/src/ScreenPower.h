// The phone's screen goes dark while the device sleeps. The user-interface layer hears the
// device's system power messages as the phone's own screen does: at kIOMessageSystemWillSleep,
// which comes before the device's processes stop, it turns every window's screen off and only
// then allows the sleep; at kIOMessageSystemHasPoweredOn it lights them again. The question
// whether the device may sleep it allows at once: the screen holds nobody awake.
#pragma once

#include <IOKit/pwr_mgt/IOPMLib.h>

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace uikit {

class ScreenPower : public QObject {
  public:
    // Registers for the messages; without the device's power service the screen never goes
    // dark (registered() is false).
    ScreenPower();
    ~ScreenPower() override;
    ScreenPower(const ScreenPower&) = delete;
    ScreenPower& operator=(const ScreenPower&) = delete;

    bool registered() const { return connection_ != 0; }

  private:
    static void powerMessage(void* refcon, io_service_t service, natural_t type, void* argument);
    void handle(natural_t type, long argument);

    io_connect_t connection_ = 0;
    IONotificationPortRef port_ = nullptr;
    io_object_t notifier_ = 0;
    std::unique_ptr<QSocketNotifier> readable_;
};

}  // namespace uikit
