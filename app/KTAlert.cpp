#include "KTAlert.h"

#include <memory>

namespace {
// Asked afresh at every alert: the localized display name, else the process name.
NSString defaultTitle() {
    if (const NSDictionary* localized = NSBundle::mainBundle().localizedInfoDictionary())
        if (auto name = NSDynamicCast<NSString>(localized->objectForKey("CFBundleDisplayName")))
            return *name;
    return NSProcessInfo::processInfo().processName();
}
}  // namespace

void KTAlertWithTitleAndMessageAndDelegate(const std::optional<NSString>& title,
                                           const NSString& message, UIAlertViewDelegate* delegate) {
    const NSString shownTitle = title ? *title : defaultTitle();
    auto alert = delegate ? std::make_unique<UIAlertView>(shownTitle, message, delegate, "Cancel",
                                                          std::vector<NSString>{"OK"})
                          : std::make_unique<UIAlertView>(shownTitle, message, nullptr, "OK",
                                                          std::vector<NSString>{});
    UIAlertView::show(std::move(alert));  // the window system holds it while it is up
}

void KTAlertWithTitleAndMessage(const std::optional<NSString>& title, const NSString& message) {
    KTAlertWithTitleAndMessageAndDelegate(title, message, nullptr);
}

void KTAlertWithMessage(const NSString& message) {
    KTAlertWithTitleAndMessage(std::nullopt, message);
}
