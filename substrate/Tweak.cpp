// VigilantSubstrate: loaded into SpringBoard, it drops the alerts of the keep-alive
// notifications (tagged with the marker launch image) before they reach the screen. Every
// other alert goes on to SpringBoard's own activateAlertItem: unchanged. A keep-alive alert is
// also the sign that the guard is on: a SpringBoard that started again (after a crash or a
// respring) has an empty status bar, and the app that showed the guard's item is not told, so
// the first one this SpringBoard sees puts the item back.
#include <Foundation/Foundation.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>
#include <substrate.h>

#include "KeepAliveMarker.h"
#include "LibStatusBar.h"
#include "VigilantProIdentity.h"

namespace {

// Resolved once, as the platform's compiler resolves @selector and @"..." at load.
SEL selector(const char* name) { return sel_registerName(name); }

id markerString() {
    static const id marker = objc::makeString(kKeepAliveLaunchImage).release();  // constant
    return marker;
}

// Once per SpringBoard: showing an item already shown changes nothing, and the app, which shows
// and hides it itself while this SpringBoard lives, must have the last word.
void restoreGuardItemOnce() {
    static bool restored = false;
    if (restored) return;
    restored = true;
    LibStatusBar::addStatusBarImageNamed(kStatusBarImageName);
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
    if (objc_msgSendTyped<BOOL>(markerString(), isEqualToString, launchImage)) {
        restoreGuardItemOnce();
        return;
    }
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
