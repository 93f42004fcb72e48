#pragma once

#include <Foundation/Foundation.h>

// A notification that SpringBoard fires at its fire date (and after each repeat interval)
// even when the application that booked it is not running.
class UILocalNotification {
  public:
    std::optional<NSDate> fireDate() const { return fireDate_; }
    void setFireDate(const NSDate& date) { fireDate_ = date; }
    NSCalendarUnit repeatInterval() const { return repeatInterval_; }
    void setRepeatInterval(NSCalendarUnit unit) { repeatInterval_ = unit; }
    std::optional<NSString> alertBody() const { return alertBody_; }
    void setAlertBody(const NSString& body) { alertBody_ = body; }
    std::optional<NSString> alertLaunchImage() const { return alertLaunchImage_; }
    void setAlertLaunchImage(const NSString& name) { alertLaunchImage_ = name; }

  private:
    std::optional<NSDate> fireDate_;
    NSCalendarUnit repeatInterval_ = static_cast<NSCalendarUnit>(0);
    std::optional<NSString> alertBody_;
    std::optional<NSString> alertLaunchImage_;
};
