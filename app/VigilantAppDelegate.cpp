#include "VigilantAppDelegate.h"

namespace {
const UIClassRegistration<VigilantAppDelegate> kRegistration("VigilantAppDelegate");
}

void VigilantAppDelegate::applicationDidFinishLaunching(UIApplication*) {
    if (!window_) return;
    if (navigationController_) window_->addSubview(navigationController_->view());
    window_->makeKeyAndVisible();
}

BOOL VigilantAppDelegate::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "window", window_) ||
           UIConnectOutlet(name, object, "navigationController", navigationController_) ||
           UIResponder::setOutletNamed(name, object);
}
