#include "NotificationScheduler.h"

#include <Foundation/Foundation.h>
#include <base/AtomicFile.h>
#include <base/PlistFile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace springboard {

namespace {
constexpr double kMinute = 60.0;
}

NotificationScheduler::NotificationScheduler(std::string fileHostPath, std::string wakeListHostPath,
                                             EventSink& events, Firing onFire)
    : file_(std::move(fileHostPath)),
      events_(events),
      onFire_(std::move(onFire)),
      wake_(std::move(wakeListHostPath)) {}

void NotificationScheduler::keepDamagedFile() {
    std::error_code ec;
    std::filesystem::copy_file(file_, file_ + ".damaged",
                               std::filesystem::copy_options::overwrite_existing, ec);
}

void NotificationScheduler::load() {
    booked_.clear();
    wake_.adopt();
    const base::PlistFile file = base::readPlistFile(file_);
    if (file.state == base::PlistFile::State::Missing) return;
    const PList::Array* array = base::arrayRoot(file);
    if (!array) {
        NSLog("SpringBoard: %s is damaged (%s); kept as .damaged, starting without notifications",
              file_.c_str(), file.loaded() ? "not an array" : file.error.c_str());
        keepDamagedFile();
        return;
    }
    const std::vector<std::unique_ptr<PList::Node>> entries = base::arrayItems(*array);
    bool damaged = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::unique_ptr<PList::Node>& entry = entries[i];
        std::string error = "is not a dictionary";
        std::optional<LocalNotification> n;
        if (entry->GetType() == PLIST_DICT)
            n = LocalNotification::fromPlist(static_cast<PList::Dictionary&>(*entry), &error);
        if (n) {
            booked_.push_back(std::move(*n));
        } else {
            NSLog("SpringBoard: notification %u in %s %s; skipped", static_cast<unsigned>(i),
                  file_.c_str(), error.c_str());
            damaged = true;
        }
    }
    if (damaged) keepDamagedFile();
}

void NotificationScheduler::save() {
    PList::Array entries;
    for (const LocalNotification& n : booked_) {
        PList::Dictionary entry = n.toPlist();
        entries.Append(&entry);  // appends a copy
    }
    if (!base::writeFileAtomically(file_, base::plistToXml(entries)))
        NSLog("SpringBoard: could not write %s", file_.c_str());
}

void NotificationScheduler::book(LocalNotification notification) {
    events_.send(wire::events::NotificationBooked{notification.eventFields()});
    booked_.push_back(std::move(notification));
    save();
    wake_.bookOnly(nextFireDate());
}

size_t NotificationScheduler::cancel(const std::string& app) {
    const size_t cancelled =
        std::erase_if(booked_, [&](const LocalNotification& n) { return n.app == app; });
    events_.send(wire::events::NotificationsCancelled{app, static_cast<int64_t>(cancelled)});
    if (cancelled > 0) {
        save();
        wake_.bookOnly(nextFireDate());
    }
    return cancelled;
}

size_t NotificationScheduler::fireDue(double now) {
    std::vector<LocalNotification> firings;
    for (auto it = booked_.begin(); it != booked_.end();) {
        if (it->fireDate > now) {
            ++it;
            continue;
        }
        firings.push_back(*it);
        if (it->repeatsEveryMinute) {
            const double missed = std::floor((now - it->fireDate) / kMinute);
            it->fireDate += (missed + 1) * kMinute;
            ++it;
        } else {
            it = booked_.erase(it);
        }
    }
    if (firings.empty()) {
        wake_.bookOnly(nextFireDate());  // also what load() found left by an earlier SpringBoard
        return 0;
    }
    // The new state is on disk before any alert: a crash while one is shown fires nothing twice.
    // The next wake-up is booked before any alert too: the device must not sleep through it.
    save();
    wake_.bookOnly(nextFireDate());
    std::stable_sort(firings.begin(), firings.end(),
                     [](const auto& a, const auto& b) { return a.fireDate < b.fireDate; });
    for (const LocalNotification& n : firings) {
        events_.send(wire::events::NotificationFired{n.eventFields()});
        if (onFire_) onFire_(n);
    }
    return firings.size();
}

std::optional<double> NotificationScheduler::nextFireDate() const {
    if (booked_.empty()) return std::nullopt;
    return std::min_element(booked_.begin(), booked_.end(),
                            [](const auto& a, const auto& b) { return a.fireDate < b.fireDate; })
        ->fireDate;
}

}  // namespace springboard
