// SpringBoard's alert items. Two kinds: the alert of a local notification (runtime class
// "SBRemoteLocalNotificationAlert"), which answers alertLaunchImage with the notification's
// launch image, and a system alert ("SBSystemAlertItem"), which does not answer it.
// Both descend from "SBAlertItem".
#pragma once

#include <objc/objc.h>

#include <memory>
#include <optional>
#include <string>

namespace springboard {

class AlertItem : public objc_object {
  public:
    static std::unique_ptr<AlertItem> notificationAlert(std::optional<std::string> body,
                                                        std::optional<std::string> launchImage);
    // `launchImage` is what SpringBoard knows of the alert; the item does not answer it.
    static std::unique_ptr<AlertItem> systemAlert(std::optional<std::string> body,
                                                  std::optional<std::string> launchImage);

    const std::optional<std::string>& body() const { return body_; }
    const std::optional<std::string>& launchImage() const { return launchImage_; }
    // What alertLaunchImage answers: a string object, or null when there is no launch image.
    id launchImageObject() const { return launchImageObject_.get(); }

    static Class baseClass();
    static Class notificationAlertClass();
    static Class systemAlertClass();

  private:
    AlertItem(Class cls, std::optional<std::string> body, std::optional<std::string> launchImage);

    std::optional<std::string> body_;
    std::optional<std::string> launchImage_;
    StrongId launchImageObject_;
};

}  // namespace springboard
