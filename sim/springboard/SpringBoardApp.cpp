#include "SpringBoardApp.h"

#include <CoreFoundation/CoreFoundation.h>
#include <backend/Backend.h>
#include <substrate/ExtensionLoader.h>
#include <wire/DevicePaths.h>

#include <algorithm>

namespace springboard {

SpringBoardApp::Files SpringBoardApp::filesOfDevice(const std::string& hostRoot) {
    return {wire::inRoot(hostRoot, wire::paths::kStatusBar),
            wire::inRoot(hostRoot, wire::paths::kLocalNotifications),
            wire::inRoot(hostRoot, wire::paths::kAlerts),
            wire::inRoot(hostRoot, wire::paths::kAutoWake)};
}

SpringBoardApp::SpringBoardApp(const Files& files, EventSink& events, mach_port_t serverPort)
    : serverPort_(serverPort),
      statusBar_(files.statusBar, events),
      center_(statusBar_),
      controller_(files.alerts, events),
      notifications_(files.notifications, files.wakeList, events,
                     [this](const LocalNotification& n) {
                         present(AlertItem::notificationAlert(n.body, n.launchImage));
                     }),
      handler_({statusBar_, center_, notifications_,
                [this](std::unique_ptr<AlertItem> item) { present(std::move(item)); },
                [this] { rearmNotificationTimer(); }, serverPort, events}),
      lowBattery_([this](const std::string& body) {
          present(AlertItem::systemAlert(body, std::nullopt));
      }) {
    // An alert on the screen lights it: the owner's attention, a full idle period before the
    // device may sleep. One the extension dropped leaves a woken device dark, to sleep again.
    controller_.onShown([] { platform::activityService().userActivity(); });
}

SpringBoardApp::~SpringBoardApp() {
    if (notificationTimer_) notificationTimer_->invalidate();
}

void SpringBoardApp::start(const std::string& bundleIdentifier) {
    statusBar_.forgetEarlierState();
    substrate::loadExtensions(substrate::kDynamicLibrariesFolder, bundleIdentifier);
    notifications_.load();
    notifications_.fireDue(CFAbsoluteTimeGetCurrent());
    rearmNotificationTimer();
    lowBattery_.start();
}

void SpringBoardApp::present(std::unique_ptr<AlertItem> item) {
    // The item is done with once activated: the screen keeps only what the controller showed.
    controller_.activateAlertItem(*item);
}

void SpringBoardApp::rearmNotificationTimer() {
    if (notificationTimer_) notificationTimer_->invalidate();
    notificationTimer_ = nullptr;
    const auto next = notifications_.nextFireDate();
    if (!next) return;
    const double interval = std::max(0.0, *next - CFAbsoluteTimeGetCurrent());
    notificationTimer_ = NSTimer::scheduledTimerWithTimeInterval(
        interval,
        [this](NSTimer*) {
            notificationTimer_ = nullptr;  // a one-shot timer is gone after firing
            notifications_.fireDue(CFAbsoluteTimeGetCurrent());
            rearmNotificationTimer();
        },
        nullptr, NO);
}

}  // namespace springboard
