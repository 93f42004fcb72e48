// A touch is user activity. Every input event the application's windows receive (a press, a
// release, a drag, a wheel turn, a key) tells the device that the user is using it, as a finger
// on the phone's screen keeps the phone awake; the automation's taps count as touches too. The
// device hears of it at most once a second whatever the event rate: a touch inside that second
// is told when the second is over, so the device never counts its idle time from an earlier
// touch than the last one by more than a second.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <optional>

namespace uikit {

class TouchActivity : public QObject {
  public:
    static constexpr std::chrono::milliseconds kInterval{1000};

    // Watches every input event of the application while it lives.
    explicit TouchActivity(std::chrono::milliseconds interval = kInterval);
    ~TouchActivity() override;
    TouchActivity(const TouchActivity&) = delete;
    TouchActivity& operator=(const TouchActivity&) = delete;

    // The user touched the screen now.
    void touched();
    // touched() of the application's watcher; nothing when there is none.
    static void touchedNow();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void tell();

    std::chrono::milliseconds interval_;
    std::optional<std::chrono::steady_clock::time_point> lastTold_;
    QTimer later_;
};

}  // namespace uikit
