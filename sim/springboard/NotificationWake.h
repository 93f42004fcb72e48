// SpringBoard's system wake-up for its local notifications: one booking under SpringBoard's own
// identifier, at the earliest booked fire date, so that a sleeping device wakes to fire it.
// A SpringBoard that starts again takes over what the one before it left in the list.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace springboard {

class NotificationWake {
  public:
    explicit NotificationWake(std::string wakeListHostPath);

    // Reads the wake-ups booked under SpringBoard's identifier, by an earlier SpringBoard too.
    void adopt();
    // Makes `fireDate` (none: nothing) the one wake-up booked, withdrawing every other.
    void bookOnly(std::optional<double> fireDate);
    // Whole seconds, as the wake-request list keeps them.
    const std::set<double>& booked() const { return booked_; }

  private:
    std::string list_;
    std::set<double> booked_;
};

}  // namespace springboard
