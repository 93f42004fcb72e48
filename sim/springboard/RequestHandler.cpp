#include "RequestHandler.h"

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <wire/Message.h>

#include <cmath>

namespace springboard {

namespace {

constexpr int64_t kMinuteCalendarUnit = 64;  // NSMinuteCalendarUnit

PList::Dictionary ok() { return wire::encode(wire::Reply::accepted()); }

PList::Dictionary refused(std::string_view op, const std::string& why) {
    NSLog("SpringBoard: %s request ignored: %s", std::string(op).c_str(), why.c_str());
    return wire::encode(wire::Reply::refused(why));
}

}  // namespace

RequestHandler::RequestHandler(Parts parts) : parts_(std::move(parts)) {
    handlers_.on<wire::StatusBarRequest>([this](const auto& m) { return statusBar(m); })
        .on<wire::CenterMessage>([this](const auto& m) { return center(m); })
        .on<wire::ServerPortRequest>([this](const auto& m) { return serverPort(m); })
        .on<wire::ScheduleNotification>([this](const auto& m) { return scheduleNotification(m); })
        .on<wire::NotifyRequest>([this](const auto& m) { return notify(m); })
        .on<wire::CancelNotifications>([this](const auto& m) { return cancelNotifications(m); })
        .on<wire::ListNotifications>([this](const auto& m) { return listNotifications(m); })
        .on<wire::AlertRequest>([this](const auto& m) { return alert(m); })
        .on<wire::OpenUrlRequest>([this](const auto& m) { return openURL(m); });
}

PList::Dictionary RequestHandler::handle(const PList::Dictionary& request) {
    const std::string op = wire::opOf(request);
    if (const auto* handler = handlers_.find(op)) return (*handler)(request);
    return refused(op.empty() ? "(no op)" : op, "unknown request");
}

RequestHandler::Reply RequestHandler::statusBar(const wire::StatusBarRequest& request) {
    constexpr std::string_view op = wire::StatusBarRequest::kOp;
    const std::string& route = request.route;
    if (route != "UIApplication" && route != "SpringBoardServices")
        return refused(op, "unknown route '" + route + "'");
    if (request.item.empty()) return refused(op, "no item");
    if (!request.show) return refused(op, "no show");
    if (route == "SpringBoardServices" && request.port != int64_t{parts_.serverPort})
        return refused(op, "not SpringBoard's server port");
    if (*request.show)
        parts_.statusBar.show(request.item, route, request.pid);
    else
        parts_.statusBar.hide(request.item, route, request.pid);
    return ok();
}

RequestHandler::Reply RequestHandler::center(const wire::CenterMessage& request) {
    const std::string why =
        parts_.center.receive(request.center, request.message, request.userInfo.get(), request.pid);
    return why.empty() ? ok() : refused(wire::CenterMessage::kOp, why);
}

RequestHandler::Reply RequestHandler::serverPort(const wire::ServerPortRequest&) {
    return wire::encode(wire::PortReply{true, parts_.serverPort});
}

RequestHandler::Reply RequestHandler::book(LocalNotification notification) {
    parts_.notifications.book(std::move(notification));
    if (parts_.notificationsChanged) parts_.notificationsChanged();
    return ok();
}

RequestHandler::Reply RequestHandler::scheduleNotification(
    const wire::ScheduleNotification& request) {
    constexpr std::string_view op = wire::ScheduleNotification::kOp;
    LocalNotification n;
    n.app = request.app;
    if (n.app.empty()) return refused(op, "no app");
    if (!request.fireDate || !std::isfinite(*request.fireDate)) return refused(op, "no fire date");
    n.fireDate = *request.fireDate - kCFAbsoluteTimeIntervalSince1970;
    if (request.repeatInterval.present) {
        const std::optional<int64_t> unit = request.repeatInterval.value;
        if (!unit || (*unit != 0 && *unit != kMinuteCalendarUnit))
            return refused(op, "repeats only by the minute");
        n.repeatsEveryMinute = *unit == kMinuteCalendarUnit;
    }
    n.body = request.body;
    n.launchImage = request.launchImage;
    return book(std::move(n));
}

RequestHandler::Reply RequestHandler::notify(const wire::NotifyRequest& request) {
    constexpr std::string_view op = wire::NotifyRequest::kOp;
    LocalNotification n;
    n.app = request.app;
    if (n.app.empty()) return refused(op, "no app");
    if (!request.fireIn || !std::isfinite(*request.fireIn) || *request.fireIn < 0)
        return refused(op, "fireIn must be a number of seconds, 0 or more");
    n.fireDate = CFAbsoluteTimeGetCurrent() + *request.fireIn;
    if (request.repeat.present) {
        if (request.repeat.value != "minute") return refused(op, "repeat must be 'minute'");
        n.repeatsEveryMinute = true;
    }
    n.body = request.body;
    n.launchImage = request.launchImage;
    return book(std::move(n));
}

RequestHandler::Reply RequestHandler::cancelNotifications(
    const wire::CancelNotifications& request) {
    if (request.app.empty()) return refused(wire::CancelNotifications::kOp, "no app");
    const size_t cancelled = parts_.notifications.cancel(request.app);
    if (parts_.notificationsChanged) parts_.notificationsChanged();
    return wire::encode(wire::CancelledReply{true, static_cast<int64_t>(cancelled)});
}

RequestHandler::Reply RequestHandler::listNotifications(const wire::ListNotifications&) {
    wire::NotificationsReply reply{true, std::make_unique<PList::Array>()};
    for (const LocalNotification& n : parts_.notifications.booked()) {
        const PList::Dictionary entry = n.toPlist();
        // Copied whole at the C level: the entry holds a date.
        plist_array_append_item(reply.notifications->GetPlist(), plist_copy(entry.GetPlist()));
    }
    return wire::encode(reply);
}

RequestHandler::Reply RequestHandler::alert(const wire::AlertRequest& request) {
    auto item = request.plain ? AlertItem::systemAlert(request.body, request.launchImage)
                              : AlertItem::notificationAlert(request.body, request.launchImage);
    if (parts_.present) parts_.present(std::move(item));
    return ok();
}

RequestHandler::Reply RequestHandler::openURL(const wire::OpenUrlRequest& request) {
    if (request.url.empty()) return refused(wire::OpenUrlRequest::kOp, "no url");
    // The device has no browser; handing the address over is what can be observed.
    parts_.events.send(wire::events::UrlOpened{request.url});
    return ok();
}

}  // namespace springboard
