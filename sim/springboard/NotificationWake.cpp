#include "NotificationWake.h"

#include <AppSupport/AppSupport.h>
#include <wire/WakeList.h>
#include <wire/messages/Wake.h>

namespace springboard {

NotificationWake::NotificationWake(std::string wakeListHostPath)
    : list_(std::move(wakeListHostPath)) {}

void NotificationWake::adopt() {
    booked_.clear();
    for (const wire::WakeRequest& r : wire::WakeList::load(list_).requests())
        if (r.scheduledBy == wire::kSpringBoardWakeIdentifier)
            booked_.insert(wire::WakeList::wholeSeconds(r.time));
}

void NotificationWake::bookOnly(std::optional<double> fireDate) {
    // The list keeps whole seconds: waking at the second the fire date lies in is never late.
    const std::optional<double> wanted =
        fireDate ? std::optional(wire::WakeList::wholeSeconds(*fireDate)) : std::nullopt;
    const NSString identifier = wire::kSpringBoardWakeIdentifier;
    for (auto it = booked_.begin(); it != booked_.end();) {
        if (wanted && *it == *wanted) {
            ++it;
            continue;
        }
        CPCancelWakeAtDateWithIdentifier(NSDate::dateWithTimeIntervalSinceReferenceDate(*it),
                                         identifier);
        it = booked_.erase(it);
    }
    if (wanted && !booked_.contains(*wanted)) {
        // A booking that failed is not counted as made: the next change tries it again.
        if (CPScheduleWakeAtDateWithIdentifier(
                NSDate::dateWithTimeIntervalSinceReferenceDate(*wanted), identifier))
            booked_.insert(*wanted);
    }
}

}  // namespace springboard
