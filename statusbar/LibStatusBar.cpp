#include "LibStatusBar.h"

#include <AppSupport/AppSupport.h>

namespace {
const NSString kCenterName = "com.apple.springboard.libstatusbar";
const NSString kMessageName = "setProperties:userInfo:";

void send(const NSDictionary& payload) {
    // The centre is looked up anew for every message; no reply is awaited.
    CPDistributedMessagingCenter::centerNamed(kCenterName)
        .sendMessageNameUserInfo(kMessageName, &payload);
}
}  // namespace

void LibStatusBar::addStatusBarImageNamed(const NSString& name) {
    NSDictionary payload;
    payload.setObjectForKey(name, "item");
    payload.setObjectForKey(NSNumber::numberWithInt(1), "properties");
    send(payload);
}

void LibStatusBar::removeStatusBarImageNamed(const NSString& name) {
    NSDictionary payload;
    payload.setObjectForKey(name, "item");
    send(payload);
}
