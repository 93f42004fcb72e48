// The Darwin notify center over the notify service: one registration an observed name and
// observer, whose descriptor is a source of the run loop of the thread that added it.
#include <backend/Backend.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "NotifyCenterInternals.h"
#include "RunLoopInternals.h"

struct __CFNotificationCenter {};

namespace {

struct Observation {
    const void* observer = nullptr;
    CFNotificationCallback callBack = nullptr;
    std::string name;
    uint64_t token = 0;
    CFRunLoopRef runLoop = nullptr;
    __CFRunLoopSource source;
};

struct DarwinCenter {
    __CFNotificationCenter center;
    std::vector<std::unique_ptr<Observation>> observations;
    // Removed while a callback ran: kept until no callback runs, since the run loop may still
    // be serving its source.
    std::vector<std::unique_ptr<Observation>> retired;
    int delivering = 0;
};

DarwinCenter& darwin() {
    static DarwinCenter* center = new DarwinCenter;  // never destroyed: sources may outlive main
    return *center;
}

void forgetRetired() {
    if (darwin().delivering == 0) darwin().retired.clear();
}

void deliver(Observation* observation) {
    if (platform::notifyService().takePosts(observation->token) == 0) return;
    DarwinCenter& center = darwin();
    ++center.delivering;
    observation->callBack(&center.center, const_cast<void*>(observation->observer),
                          observation->name.c_str(), nullptr, nullptr);
    --center.delivering;
}

bool isDarwin(CFNotificationCenterRef center) { return center && center == &darwin().center; }

template <class Matches>
void removeWhere(Matches matches) {
    DarwinCenter& center = darwin();
    forgetRetired();
    auto it = std::stable_partition(center.observations.begin(), center.observations.end(),
                                    [&](const auto& o) { return !matches(*o); });
    for (auto removed = it; removed != center.observations.end(); ++removed) {
        Observation& o = **removed;
        CFRunLoopRemoveSource(o.runLoop, &o.source, kCFRunLoopCommonModes);
        platform::notifyService().cancel(o.token);
        if (center.delivering > 0) center.retired.push_back(std::move(*removed));
    }
    center.observations.erase(it, center.observations.end());
}

}  // namespace

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() { return &darwin().center; }

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior) {
    if (!isDarwin(center) || !callBack || !name) return;
    DarwinCenter& darwinCenter = darwin();
    forgetRetired();
    for (const auto& o : darwinCenter.observations)
        if (o->observer == observer && o->name == name) return;
    const platform::NotifyService::Registration registration =
        platform::notifyService().registerFor(name);
    if (registration.token == 0) return;  // the notify service cannot be reached
    auto observation = std::make_unique<Observation>();
    observation->observer = observer;
    observation->callBack = callBack;
    observation->name = name;
    observation->token = registration.token;
    observation->runLoop = CFRunLoopGetCurrent();
    observation->source.fd = registration.eventFd;
    observation->source.handler = [o = observation.get()] { deliver(o); };
    CFRunLoopAddSource(observation->runLoop, &observation->source, kCFRunLoopCommonModes);
    darwinCenter.observations.push_back(std::move(observation));
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        CFStringRef name, const void*) {
    if (!isDarwin(center)) return;
    removeWhere(
        [&](const Observation& o) { return o.observer == observer && (!name || o.name == name); });
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
    CFNotificationCenterRemoveObserver(center, observer, nullptr, nullptr);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFStringRef name,
                                          const void*, CFDictionaryRef, Boolean) {
    if (isDarwin(center) && name) platform::notifyService().post(name);
}

void platform::forgetDarwinObservers() {
    DarwinCenter& center = darwin();
    center.observations.clear();
    center.retired.clear();
    center.delivering = 0;
}
