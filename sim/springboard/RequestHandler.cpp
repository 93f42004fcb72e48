#include "RequestHandler.h"

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <base/PlistFile.h>
#include <wire/Wire.h>

#include <cmath>
#include <map>

namespace {

constexpr int64_t kMinuteCalendarUnit = 64;  // NSMinuteCalendarUnit

PList::Dictionary ok() {
    PList::Dictionary reply;
    reply.Set("ok", PList::Boolean(true));
    return reply;
}

PList::Dictionary refused(const std::string& op, const std::string& why) {
    NSLog("SpringBoard: %s request ignored: %s", op.c_str(), why.c_str());
    PList::Dictionary reply;
    reply.Set("ok", PList::Boolean(false));
    reply.Set("error", PList::String(why));
    return reply;
}

std::optional<std::string> optionalString(const PList::Dictionary& request, const char* key) {
    if (const PList::String* value = base::stringAt(request, key)) return value->GetValue();
    return std::nullopt;
}

bool hasKey(const PList::Dictionary& request, const char* key) {
    return request.Find(key) != request.End();
}

}  // namespace

PList::Dictionary RequestHandler::handle(const PList::Dictionary& request) {
    using Handler = Reply (RequestHandler::*)(const PList::Dictionary&);
    static const std::map<std::string, Handler> handlers = {
        {"statusbar", &RequestHandler::statusBar},
        {"center", &RequestHandler::center},
        {"sbs-port", &RequestHandler::serverPort},
        {"schedule-notification", &RequestHandler::scheduleNotification},
        {"notify", &RequestHandler::notify},
        {"cancel-notifications", &RequestHandler::cancelNotifications},
        {"notifications", &RequestHandler::listNotifications},
        {"alert", &RequestHandler::alert},
        {"open-url", &RequestHandler::openURL},
    };
    const std::string op = wire::stringField(request, "op");
    auto it = handlers.find(op);
    if (it == handlers.end()) return refused(op.empty() ? "(no op)" : op, "unknown request");
    return (this->*(it->second))(request);
}

RequestHandler::Reply RequestHandler::statusBar(const PList::Dictionary& request) {
    const std::string route = wire::stringField(request, "route");
    const std::string item = wire::stringField(request, "item");
    const auto pid = wire::integerField(request, "pid");
    if (route != "UIApplication" && route != "SpringBoardServices")
        return refused("statusbar", "unknown route '" + route + "'");
    if (item.empty()) return refused("statusbar", "no item");
    if (!base::booleanAt(request, "show")) return refused("statusbar", "no show");
    if (route == "SpringBoardServices" && wire::integerField(request, "port") != parts_.serverPort)
        return refused("statusbar", "not SpringBoard's server port");
    if (wire::boolField(request, "show"))
        parts_.statusBar.show(item, route, pid);
    else
        parts_.statusBar.hide(item, route, pid);
    return ok();
}

RequestHandler::Reply RequestHandler::center(const PList::Dictionary& request) {
    const PList::Dictionary* userInfo = base::dictionaryAt(request, "userInfo");
    const std::string why = parts_.center.receive(wire::stringField(request, "center"),
                                                  wire::stringField(request, "message"), userInfo,
                                                  wire::integerField(request, "pid"));
    return why.empty() ? ok() : refused("center", why);
}

RequestHandler::Reply RequestHandler::serverPort(const PList::Dictionary&) {
    Reply reply = ok();
    reply.Set("port", PList::Integer(static_cast<uint64_t>(parts_.serverPort)));
    return reply;
}

RequestHandler::Reply RequestHandler::book(LocalNotification notification) {
    parts_.notifications.book(std::move(notification));
    if (parts_.notificationsChanged) parts_.notificationsChanged();
    return ok();
}

RequestHandler::Reply RequestHandler::scheduleNotification(const PList::Dictionary& request) {
    LocalNotification n;
    n.app = wire::stringField(request, "app");
    if (n.app.empty()) return refused("schedule-notification", "no app");
    const auto fireDate = wire::realField(request, "fireDate");
    if (!fireDate || !std::isfinite(*fireDate))
        return refused("schedule-notification", "no fire date");
    n.fireDate = *fireDate - kCFAbsoluteTimeIntervalSince1970;
    if (hasKey(request, "repeatInterval")) {
        const auto unit = wire::integerField(request, "repeatInterval");
        if (!unit || (*unit != 0 && *unit != kMinuteCalendarUnit))
            return refused("schedule-notification", "repeats only by the minute");
        n.repeatsEveryMinute = *unit == kMinuteCalendarUnit;
    }
    n.body = optionalString(request, "body");
    n.launchImage = optionalString(request, "launchImage");
    return book(std::move(n));
}

RequestHandler::Reply RequestHandler::notify(const PList::Dictionary& request) {
    LocalNotification n;
    n.app = wire::stringField(request, "app");
    if (n.app.empty()) return refused("notify", "no app");
    const auto fireIn = wire::realField(request, "fireIn");
    if (!fireIn || !std::isfinite(*fireIn) || *fireIn < 0)
        return refused("notify", "fireIn must be a number of seconds, 0 or more");
    n.fireDate = CFAbsoluteTimeGetCurrent() + *fireIn;
    if (hasKey(request, "repeat")) {
        const std::string repeat = wire::stringField(request, "repeat");
        if (repeat != "minute") return refused("notify", "repeat must be 'minute'");
        n.repeatsEveryMinute = true;
    }
    n.body = optionalString(request, "body");
    n.launchImage = optionalString(request, "launchImage");
    return book(std::move(n));
}

RequestHandler::Reply RequestHandler::cancelNotifications(const PList::Dictionary& request) {
    const std::string app = wire::stringField(request, "app");
    if (app.empty()) return refused("cancel-notifications", "no app");
    const size_t cancelled = parts_.notifications.cancel(app);
    if (parts_.notificationsChanged) parts_.notificationsChanged();
    Reply reply = ok();
    reply.Set("cancelled", PList::Integer(static_cast<uint64_t>(cancelled)));
    return reply;
}

RequestHandler::Reply RequestHandler::listNotifications(const PList::Dictionary&) {
    PList::Array list;
    for (const LocalNotification& n : parts_.notifications.booked()) {
        PList::Dictionary entry = n.toPlist();
        list.Append(&entry);
    }
    Reply reply = ok();
    reply.Set("notifications", list);
    return reply;
}

RequestHandler::Reply RequestHandler::alert(const PList::Dictionary& request) {
    auto body = optionalString(request, "body");
    auto launchImage = optionalString(request, "launchImage");
    auto item = wire::boolField(request, "plain")
                    ? AlertItem::systemAlert(std::move(body), std::move(launchImage))
                    : AlertItem::notificationAlert(std::move(body), std::move(launchImage));
    if (parts_.present) parts_.present(std::move(item));
    return ok();
}

RequestHandler::Reply RequestHandler::openURL(const PList::Dictionary& request) {
    const std::string url = wire::stringField(request, "url");
    if (url.empty()) return refused("open-url", "no url");
    // The device has no browser; handing the address over is what can be observed.
    PList::Dictionary fields;
    fields.Set("url", PList::String(url));
    parts_.events.event("url-opened", fields);
    return ok();
}
