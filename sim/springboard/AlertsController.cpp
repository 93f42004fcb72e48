#include "AlertsController.h"

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>

#include <filesystem>

#include "PlistDate.h"

namespace springboard {

// SpringBoard's own -[SBAlertItemsController activateAlertItem:].
void showAlertItem(id self, SEL, id item) {
    auto* controller = dynamic_cast<AlertsController*>(self);
    auto* alert = dynamic_cast<AlertItem*>(item);
    if (!controller) return;
    if (!alert) {
        NSLog("SpringBoard: activateAlertItem: with something that is no alert item; ignored");
        return;
    }
    controller->show(*alert);
}

AlertsController::AlertsController(std::string alertsFileHostPath, EventSink& events)
    : objc_object(controllerClass()), alertsFile_(std::move(alertsFileHostPath)), events_(events) {}

Class AlertsController::controllerClass() {
    static const Class cls = [] {
        Class made = objc_getClass("SBAlertItemsController");
        if (!made) {
            made = objc_allocateClassPair(objc::rootObjectClass(), "SBAlertItemsController", 0);
            class_addMethod(made, sel_registerName("activateAlertItem:"),
                            imp_fromFunction(&showAlertItem), "v@:@");
            objc_registerClassPair(made);
        }
        return made;
    }();
    return cls;
}

void AlertsController::activateAlertItem(AlertItem& item) {
    static const SEL activate = sel_registerName("activateAlertItem:");
    objc_msgSendTyped<void>(this, activate, static_cast<id>(&item));
}

void AlertsController::show(const AlertItem& item) {
    PList::Dictionary alert;
    setDate(alert, "time", CFAbsoluteTimeGetCurrent());
    if (item.body()) alert.Set("body", PList::String(*item.body()));
    if (item.launchImage()) alert.Set("launchImage", PList::String(*item.launchImage()));

    // Earlier alerts are kept: a damaged list is set aside, never silently overwritten.
    PList::Array alerts;
    const base::PlistFile file = base::readPlistFile(alertsFile_);
    if (const PList::Array* earlier = base::arrayRoot(file)) {
        for (const auto& entry : base::arrayItems(*earlier)) base::arrayAppend(alerts, *entry);
    } else if (file.state != base::PlistFile::State::Missing) {
        std::error_code ec;
        std::filesystem::rename(alertsFile_, alertsFile_ + ".damaged", ec);
        NSLog("SpringBoard: %s was damaged; kept as .damaged", alertsFile_.c_str());
    }
    alerts.Append(&alert);
    if (!base::writeFileAtomically(alertsFile_, base::plistToXml(alerts)))
        NSLog("SpringBoard: could not write %s", alertsFile_.c_str());

    events_.send(wire::events::AlertShown{item.body(), item.launchImage()});
    if (shown_) shown_();
}

}  // namespace springboard
