// Message boxes of the control app. Each returns at once, leaving the alert on the screen.
#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UIAlertView.h>

#include <optional>

// A null title becomes the app's display name, or the process name when it has none. With a
// delegate the alert offers "Cancel" and "OK" and tells the delegate which was tapped; without
// one it has the single button "OK".
void KTAlertWithTitleAndMessageAndDelegate(const std::optional<NSString>& title,
                                           const NSString& message, UIAlertViewDelegate* delegate);
void KTAlertWithTitleAndMessage(const std::optional<NSString>& title, const NSString& message);
void KTAlertWithMessage(const NSString& message);
