// What VigilantSubstrate costs SpringBoard: nanoseconds per activateAlertItem: without the
// replacement, then with it for an alert that passes through and for a keep-alive alert that
// it drops. SpringBoard's own implementation is a counter here, so the figures are the cost
// of the message and the replacement alone.
#include <dlfcn.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "KeepAliveMarker.h"
#include "SpringBoardSideBackend.h"

namespace {

unsigned long g_shown = 0;
void countAlert(id, SEL, id) { ++g_shown; }

struct NotificationItem : objc_object {
    NotificationItem(Class cls, StrongId image) : objc_object(cls), launchImage(std::move(image)) {}
    StrongId launchImage;
};
id alertLaunchImage(id self, SEL) {
    return static_cast<NotificationItem*>(self)->launchImage.get();
}

double nanosecondsPerActivation(id controller, id item, long rounds) {
    const SEL activate = sel_registerName("activateAlertItem:");
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < rounds; ++i) objc_msgSendTyped<void>(controller, activate, item);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(rounds);
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::atol(argv[1]) : 2000000;
    if (rounds <= 0) {
        std::fprintf(stderr, "usage: alert_cost [rounds]   (rounds > 0, default 2000000)\n");
        return 64;
    }
    SpringBoardSideBackend backend;  // takes the extension's log lines

    Class controllerClass =
        objc_allocateClassPair(objc::rootObjectClass(), "SBAlertItemsController", 0);
    class_addMethod(controllerClass, sel_registerName("activateAlertItem:"),
                    imp_fromFunction(&countAlert), "v@:@");
    objc_registerClassPair(controllerClass);
    Class itemClass = objc_allocateClassPair(objc::rootObjectClass(), "BenchNotificationAlert", 0);
    class_addMethod(itemClass, sel_registerName("alertLaunchImage"),
                    imp_fromFunction(&alertLaunchImage), "@@:");
    objc_registerClassPair(itemClass);

    objc_object controller(controllerClass);
    NotificationItem ordinary(itemClass, objc::makeString("Default"));
    NotificationItem keepAlive(itemClass, objc::makeString(kKeepAliveLaunchImage));

    const double without = nanosecondsPerActivation(&controller, &ordinary, rounds);
    if (!dlopen(VIGILANT_SUBSTRATE_PATH, RTLD_NOW)) {
        std::fprintf(stderr, "alert_cost: cannot load the extension: %s\n", dlerror());
        return 1;
    }
    const unsigned long shownBefore = g_shown;
    const double passing = nanosecondsPerActivation(&controller, &ordinary, rounds);
    const unsigned long passed = g_shown - shownBefore;
    const double dropping = nanosecondsPerActivation(&controller, &keepAlive, rounds);
    const unsigned long leaked = g_shown - shownBefore - passed;

    std::printf("activateAlertItem: over %ld rounds\n", rounds);
    std::printf("  without the replacement:          %8.1f ns\n", without);
    std::printf("  with it, alert passed through:    %8.1f ns\n", passing);
    std::printf("  with it, keep-alive alert dropped: %7.1f ns\n", dropping);
    // The figures mean nothing unless the replacement did its work.
    if (passed != static_cast<unsigned long>(rounds) || leaked != 0) {
        std::fprintf(stderr, "alert_cost: replacement misbehaved (%lu passed, %lu leaked)\n",
                     passed, leaked);
        return 1;
    }
    return 0;
}
