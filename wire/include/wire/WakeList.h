// The wake-request list, /private/var/preferences/SystemConfiguration/com.apple.AutoWake.plist:
// {wake: [{time: date, scheduledby: string}, ...]}. Bookings and withdrawals edit it in place:
// entries of other identifiers, and entries this code does not understand, stay as they are.
// Times are kept in whole seconds, so a time read back from the file matches on withdrawal.
#pragma once

#include <plist/plist++.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wire {

struct WakeRequest {
    double time = 0;  // seconds since the reference date, whole
    std::string scheduledBy;
    bool operator==(const WakeRequest&) const = default;
};

class WakeList {
  public:
    // An empty list.
    WakeList();
    // The list in the file at `hostPath`. A missing file is an empty list; a damaged one is
    // empty too, with `error()` telling why (the caller decides what to do with the file).
    static WakeList load(const std::string& hostPath);

    // Valid entries in file order; entries that are not {time: date, scheduledby: string}
    // are skipped and counted in problems().
    std::vector<WakeRequest> requests() const;
    const std::vector<std::string>& problems() const { return problems_; }
    // Why the file could not be used at all; empty when it could (or was missing).
    const std::string& error() const { return error_; }

    // Books a wake-up; a booking already listed with the same whole second and identifier
    // is not listed twice.
    void add(double time, const std::string& identifier);
    // Withdraws every entry of `identifier` at the same whole second; returns how many.
    int remove(double time, const std::string& identifier);
    // The earliest valid request strictly after `now`.
    std::optional<WakeRequest> earliestAfter(double now) const;

    // Writes the list atomically (a reader sees the old or the new file).
    bool save(const std::string& hostPath) const;
    const PList::Dictionary& document() const { return *document_; }

    static double wholeSeconds(double time);

  private:
    PList::Array& entries() const;
    void scan();
    std::unique_ptr<PList::Dictionary> document_;
    std::vector<std::string> problems_;
    std::string error_;
};

}  // namespace wire
