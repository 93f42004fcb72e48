// VigilantSubstrate: loaded into SpringBoard, it drops the alerts of the keep-alive
// notifications (tagged with the marker launch image) before they reach the screen. Every
// other alert goes on to SpringBoard's own activateAlertItem: unchanged.
#include <Foundation/Foundation.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>
#include <substrate.h>

#include "KeepAliveMarker.h"

namespace {

// Resolved once, as the platform's compiler resolves @selector and @"..." at load.
SEL selector(const char* name) { return sel_registerName(name); }

id markerString() {
    static const id marker = objc::makeString(kKeepAliveLaunchImage).release();  // constant
    return marker;
}

// Replaces -[SBAlertItemsController activateAlertItem:].
void $SBAlertItemsController$activateAlertItem$(id self, SEL, id item) {
    static const SEL respondsToSelector = selector("respondsToSelector:");
    static const SEL alertLaunchImage = selector("alertLaunchImage");
    static const SEL isEqualToString = selector("isEqualToString:");
    static const SEL original = selector("vigilant_activateAlertItem:");

    id launchImage = nullptr;
    if (objc_msgSendTyped<BOOL>(item, respondsToSelector, alertLaunchImage))
        launchImage = objc_msgSendTyped<id>(item, alertLaunchImage);
    // Asked of the marker, so a null or non-string launch image simply compares unequal.
    if (objc_msgSendTyped<BOOL>(markerString(), isEqualToString, launchImage)) return;
    objc_msgSendTyped<void>(self, original, item);
}

}  // namespace

// The library's initialisation routine: the loader runs it once, as the library comes in.
extern "C" __attribute__((constructor, visibility("default"))) void TweakInitialize() {
    NSLog("VigilantSubstrate: starting up...");
    Class alertsController = objc_getClass("SBAlertItemsController");
    MSHookMessage(alertsController, selector("activateAlertItem:"),
                  imp_fromFunction(&$SBAlertItemsController$activateAlertItem$), "vigilant_");
    NSLog("VigilantSubstrate: successfully started.");
}
