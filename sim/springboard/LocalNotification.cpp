#include "LocalNotification.h"

#include <base/PlistFile.h>
#include <wire/DeviceTime.h>

#include "PlistDate.h"

namespace springboard {

PList::Dictionary LocalNotification::toPlist() const {
    PList::Dictionary entry;
    entry.Set("app", PList::String(app));
    setDate(entry, "fireDate", fireDate);
    entry.Set("repeat", PList::String(repeatsEveryMinute ? "minute" : "none"));
    if (body) entry.Set("body", PList::String(*body));
    if (launchImage) entry.Set("launchImage", PList::String(*launchImage));
    return entry;
}

std::optional<LocalNotification> LocalNotification::fromPlist(const PList::Dictionary& entry,
                                                              std::string* error) {
    auto fail = [&](const char* why) -> std::optional<LocalNotification> {
        if (error) *error = why;
        return std::nullopt;
    };
    LocalNotification n;
    const std::optional<std::string> app = base::stringAt(entry, "app");
    if (!app || app->empty()) return fail("names no app");
    n.app = *app;
    const std::optional<double> fireDate = base::dateAt(entry, "fireDate");
    if (!fireDate) return fail("has no fireDate");
    n.fireDate = *fireDate;
    const std::string repeatText = base::stringAt(entry, "repeat").value_or("none");
    if (repeatText != "minute" && repeatText != "none") return fail("repeats by an unknown unit");
    n.repeatsEveryMinute = repeatText == "minute";
    if (auto body = base::stringAt(entry, "body")) n.body = *body;
    if (auto image = base::stringAt(entry, "launchImage")) n.launchImage = *image;
    return n;
}

wire::events::NotificationFields LocalNotification::eventFields() const {
    return {app, body, launchImage, wire::formatDeviceTime(fireDate)};
}

}  // namespace springboard
