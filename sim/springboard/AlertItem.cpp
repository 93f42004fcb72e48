#include "AlertItem.h"

#include <objc/objects.h>
#include <objc/runtime.h>

namespace springboard {

namespace {

id alertLaunchImage(id self, SEL) {
    auto* item = dynamic_cast<AlertItem*>(self);
    return item ? item->launchImageObject() : nullptr;
}

Class defineClass(const char* name, Class superclass) {
    // A class of this name from an earlier SpringBoard in the same process is reused.
    if (Class existing = objc_getClass(name)) return existing;
    Class cls = objc_allocateClassPair(superclass, name, 0);
    objc_registerClassPair(cls);
    return cls;
}

}  // namespace

AlertItem::AlertItem(Class cls, std::optional<std::string> body,
                     std::optional<std::string> launchImage)
    : objc_object(cls), body_(std::move(body)), launchImage_(std::move(launchImage)) {
    if (launchImage_) launchImageObject_ = objc::makeString(*launchImage_);
}

Class AlertItem::baseClass() {
    static const Class cls = defineClass("SBAlertItem", objc::rootObjectClass());
    return cls;
}

Class AlertItem::notificationAlertClass() {
    static const Class cls = [] {
        Class made = defineClass("SBRemoteLocalNotificationAlert", baseClass());
        class_addMethod(made, sel_registerName("alertLaunchImage"),
                        imp_fromFunction(&alertLaunchImage), "@@:");
        return made;
    }();
    return cls;
}

Class AlertItem::systemAlertClass() {
    static const Class cls = defineClass("SBSystemAlertItem", baseClass());
    return cls;
}

std::unique_ptr<AlertItem> AlertItem::notificationAlert(std::optional<std::string> body,
                                                        std::optional<std::string> launchImage) {
    return std::unique_ptr<AlertItem>(
        new AlertItem(notificationAlertClass(), std::move(body), std::move(launchImage)));
}

std::unique_ptr<AlertItem> AlertItem::systemAlert(std::optional<std::string> body,
                                                  std::optional<std::string> launchImage) {
    return std::unique_ptr<AlertItem>(
        new AlertItem(systemAlertClass(), std::move(body), std::move(launchImage)));
}

}  // namespace springboard
