// The main screen's guard control: launchd's job on iPhone OS 2 and 3, the keep-alive
// notification (with the status-bar image shown by the app) on later systems.
#include <cstdio>

#include "AppSettings.h"
#include "CleanShellEnvironment.h"
#include "GuardConstants.h"
#include "KTAlert.h"
#include "KeepAliveMarker.h"
#include "LibStatusBar.h"
#include "RootViewController.h"
#include "VigilantProIdentity.h"

bool VigilantUsesLaunchd() {
    return launchdGeneration(UIDevice::currentDevice().systemVersion()).has_value();
}

namespace {
// The sections that come and go with the guard.
NSIndexSet guardedSections() {
    NSIndexSet sections;
    for (NSUInteger s : {kScheduleSection, kBatterySection, kBatteryFooterSection, kStatusSection})
        sections.addIndex(s);
    return sections;
}

NSString withPlist(const char* format) {
    char command[256];
    std::snprintf(command, sizeof command, format, kJobFilePath);
    return command;
}

bool isAscii(const NSString& text) {
    for (unsigned char c : text)
        if (c >= 0x80 || c == 0) return false;
    return true;
}
}  // namespace

std::optional<NSString> RootViewController::executeCommand(const NSString& command) {
    NSString result;
    if (!isAscii(command)) return std::nullopt;  // no C string in the ASCII encoding
    FILE* pipe = nullptr;
    {
        const CleanShellEnvironment clean;
        pipe = popen(command.c_str(), "r");
    }
    if (!pipe) return std::nullopt;
    char buffer[kCommandBufferSize];
    while (std::fgets(buffer, sizeof buffer, pipe)) result += buffer;
    pclose(pipe);  // waits for the command; its status is not needed
    return result;
}

void RootViewController::startDaemon() {
    if (VigilantUsesLaunchd()) {
        executeCommand(withPlist(kStartCommandFormat));
        return;
    }
    UILocalNotification notification;
    notification.setFireDate(NSDate::dateWithTimeIntervalSinceNow(kKeepAliveFirstFiring));
    notification.setRepeatInterval(NSMinuteCalendarUnit);
    notification.setAlertBody(kKeepAliveBody);
    notification.setAlertLaunchImage(kKeepAliveLaunchImage);
    UIApplication::sharedApplication()->scheduleLocalNotification(notification);
    LibStatusBar::addStatusBarImageNamed(kStatusBarImageName);
    AppSettings::sharedSettings()->setNotificationsEnabled(YES);
}

void RootViewController::stopDaemon() {
    if (VigilantUsesLaunchd()) {
        executeCommand(withPlist(kStopCommandFormat));
        return;
    }
    UIApplication::sharedApplication()->cancelAllLocalNotifications();
    LibStatusBar::removeStatusBarImageNamed(kStatusBarImageName);
    AppSettings::sharedSettings()->setNotificationsEnabled(NO);
}

void RootViewController::restartDaemon() {
    stopDaemon();
    startDaemon();
}

BOOL RootViewController::isDaemonRunning() {
    if (!VigilantUsesLaunchd()) return AppSettings::sharedSettings()->notificationsEnabled();
    const auto listing = executeCommand(kListCommand);
    return listing && listing->find(kRunningMarker) != NSString::npos;
}

void RootViewController::preventSleepSwitched(UIResponder*) {
    UITableView* table = tableView();
    if (!preventSleepSwitch_ || !preventSleepSwitch_->isOn()) {
        if (table)
            table->deleteSectionsWithRowAnimation(guardedSections(), UITableViewRowAnimationLeft);
        stopDaemon();
        return;
    }
    if (VigilantUsesLaunchd()) {
        AppSettings* settings = AppSettings::sharedSettings();
        if (!settings->statusBarIconWarning()) {
            KTAlertWithMessage(kRebootHint);
            settings->setStatusBarIconWarning(YES);
        }
    }
    startDaemon();
    refreshStatus();
    if (table)
        table->insertSectionsWithRowAnimation(guardedSections(), UITableViewRowAnimationRight);
}

void RootViewController::scheduleSwitched(UIResponder*) {
    const BOOL on = scheduleSwitch_ && scheduleSwitch_->isOn();
    AppSettings::sharedSettings()->setSchedule(on);
    refreshStatus();  // the window now counts, or no longer
    if (VigilantUsesLaunchd()) {
        restartDaemon();
        return;
    }
    if (on) KTAlertWithTitleAndMessage(kScheduleRefusalTitle, kScheduleRefusal);
}

void RootViewController::batterySwitched(UIResponder*) {
    const BOOL on = batterySwitch_ && batterySwitch_->isOn();
    if (on && !VigilantUsesLaunchd()) {
        // The keep-alive notification fires whatever the charge: the floor cannot work here.
        batterySwitch_->setOnAnimated(NO, YES);
        KTAlertWithTitleAndMessage(kScheduleRefusalTitle, kBatteryFloorRefusal);
        return;
    }
    AppSettings::sharedSettings()->setBatteryFloor(on ? kDefaultBatteryFloor : 0);
    refreshBatteryLabels();
    refreshStatus();
    if (UITableView* table = tableView()) table->reloadData();  // the floor's row comes or goes
    if (VigilantUsesLaunchd()) restartDaemon();
}
