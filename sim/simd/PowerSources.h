// The phone's power sources on simd's socket: the battery and the charger. The battery follows
// the device clock and what the power manager says the device does (asleep, screen lit or
// dark); each whole percent it reaches and each plug or unplug is logged as "powerd", kept in
// the device's file and posted as com.apple.system.powersources. A plug-in wakes the device.
// When the battery is empty the device must switch off; simd's loop asks advance() and does.
#pragma once

#include <wire/messages/Battery.h>

#include <optional>
#include <string>

#include "BatteryModel.h"
#include "EventWriter.h"
#include "Notifyd.h"
#include "PowerManager.h"
#include "Server.h"

namespace simd {

// Why a device whose battery is empty does not boot.
inline constexpr const char* kBatteryEmpty =
    "the battery is empty: plug the device in (simctl battery DIR --plug) or give it charge "
    "(simctl battery DIR --level PERCENT)";

class PowerSources {
  public:
    PowerSources(std::string hostRoot, const wire::BatteryRecord& battery, PowerManager& power,
                 Notifyd& notify, EventWriter& log, Clock now);
    PowerSources(const PowerSources&) = delete;
    PowerSources& operator=(const PowerSources&) = delete;

    // Brings the battery to `now` under what the device has done since the last call (so it
    // is called before anything can change that: at the top of each turn of the loop and as
    // soon as a request has come in). True when the battery is empty.
    bool advance(double now);
    // When the level next reaches a whole percent.
    std::optional<double> nextDeadline() const { return model_.nextWholePercent(); }
    void clockSet(double jump) { model_.clockSet(jump); }
    // Writes the battery as it is at `now` to the device's file (at shutdown).
    void keep(double now);
    wire::BatteryStatus status(double now) const;

    // Requests.
    void query(const Caller& caller, const wire::BatteryQuery& request);
    void set(const Caller& caller, const wire::SetBattery& request);

  private:
    BatteryModel::Conditions conditions() const;
    void levelReached(int level, int reads);
    void changed();  // written and posted
    void save();     // the battery file, whole

    std::string root_;
    PowerManager& power_;
    Notifyd& notify_;
    EventWriter& log_;
    Clock now_;
    BatteryModel model_;
    bool emptyLogged_ = false;
};

}  // namespace simd
