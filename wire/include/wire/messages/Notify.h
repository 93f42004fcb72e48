// Darwin notifications: a process registers a connection of its own for a name, and simd
// pushes every post of that name to it; any device process may post. The names simd itself
// posts are here too, spelt as the phone's notify_keys.h spells them.
#pragma once

#include <wire/Message.h>
#include <wire/messages/Replies.h>

#include <string>
#include <string_view>

namespace wire {

// Posted after the wall clock was set, once the new time is in the clock file.
inline constexpr std::string_view kClockSetNotification = "com.apple.system.clock_set";
// Posted after the device moved to another zone, once the new zone is the device's.
inline constexpr std::string_view kTimeZoneNotification = "com.apple.system.timezone";

// Posted at every whole percent the battery's level crosses and when the power source changes.
inline constexpr std::string_view kPowerSourcesNotification = "com.apple.system.powersources";

// What each of the messages below carries: the notification's name.
struct NotificationName {
    WIRE_FIELDS((std::string, name))
};

// Registers the connection for the posts of `name` (one name a connection). Reply: Reply.
struct NotifyRegister : NotificationName {
    static constexpr std::string_view kOp = "notify-register";
};

// Pushed by simd to every connection registered for `name`.
struct NotifyDelivery : NotificationName {
    static constexpr std::string_view kOp = "notification";
};

// A device process posts `name` to every registered connection. No reply.
struct NotifyPost : NotificationName {
    static constexpr std::string_view kOp = "notify-post";
};

}  // namespace wire
