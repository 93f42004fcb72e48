// daychart: draws a simulated device's day from its event log as a PNG: when the device was
// awake and asleep, when the guard held (its status-bar item shown), the sleep questions it
// refused and allowed, the wake-ups booked and why the device woke, SpringBoard's wake-ups for
// its notifications (a minute apart on iOS 4), and the battery's level and the charger. Other power
// clients' answers (the control app's screen allows every question) are not the guard's and are
// left out. The log keeps every boot of the device; one boot is drawn, the last unless asked for
// another. The log's times are UTC; the chart reads in the device's zone when it is named. With
// --timeline it tells the same log in words instead, a line a step, as the demo prints it.
#include <wire/events/Launchd.h>
#include <wire/events/Powerd.h>
#include <wire/events/Simd.h>
#include <wire/events/SpringBoard.h>
#include <wire/messages/Wake.h>

#include <QColor>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMessageLogContext>
#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "VigilantProIdentity.h"

namespace {

using Json = nlohmann::json;
namespace events = wire::events;
using events::is;
using events::read;

struct Span {
    long long from, to;
};

struct Level {
    long long at;
    int64_t percent;
};

struct Day {
    long long first = -1, last = -1;
    std::vector<Span> asleep, holding, charging;
    std::vector<long long> refused, allowed, booked, notificationWakes, emptied;
    std::vector<std::pair<long long, std::string>> wakes;
    std::vector<Level> battery;  // the level at boot, when logged, then each reading
};

// SpringBoard books the device's wake-ups for its notifications; on iOS 4 one a minute.
bool bookedBySpringBoard(const events::Wake& wake) {
    return wake.scheduledby == wire::kSpringBoardWakeIdentifier;
}

// What the phone read from this event on; a log from before readings were logged has the level.
int64_t readingOf(const events::BatteryLevel& level) { return level.reads.value_or(level.level); }

long long secondsOf(const Json& line) {
    if (!line.contains("time") || !line["time"].is_string()) return -1;
    const QDateTime t =
        QDateTime::fromString(QString::fromStdString(line["time"].get<std::string>()), Qt::ISODate);
    if (!t.isValid()) return -1;
    return QDateTime(t.date(), t.time(), QTimeZone::utc()).toSecsSinceEpoch();
}

// The log's timed events, one list per boot: simd's "boot" event starts each.
std::vector<std::vector<Json>> readBoots(std::istream& in) {
    std::vector<std::vector<Json>> boots;
    std::string text;
    while (std::getline(in, text)) {
        Json line = Json::parse(text, nullptr, false);
        if (!line.is_object() || secondsOf(line) < 0) continue;
        const bool boot = is<events::Boot>(line);
        if (boots.empty() || (boot && !boots.back().empty())) boots.emplace_back();
        boots.back().push_back(std::move(line));
    }
    return boots;
}

Day readDay(const std::vector<Json>& lines) {
    Day day;
    long long sleptAt = -1, shownAt = -1, pluggedAt = -1;
    std::set<int64_t> guards;  // the guard daemon's process ids, from launchd's starts
    for (const Json& line : lines) {
        const long long t = secondsOf(line);
        if (day.first < 0) day.first = t;
        day.last = t;
        if (const auto boot = read<events::Boot>(line)) {
            if (boot->battery) day.battery.push_back({t, *boot->battery});
            if (boot->plugged.value_or(false)) pluggedAt = t;
        } else if (const auto level = read<events::BatteryLevel>(line)) {
            day.battery.push_back({t, readingOf(*level)});
        } else if (const auto source = read<events::PowerSource>(line)) {
            if (source->plugged && pluggedAt < 0) pluggedAt = t;
            if (!source->plugged && pluggedAt >= 0) day.charging.push_back({pluggedAt, t});
            if (!source->plugged) pluggedAt = -1;
        } else if (is<events::BatteryEmpty>(line)) {
            day.emptied.push_back(t);
        } else if (is<events::Sleep>(line)) {
            sleptAt = t;
        } else if (const auto wake = read<events::Wake>(line)) {
            if (sleptAt >= 0) day.asleep.push_back({sleptAt, t});
            sleptAt = -1;
            // Hundreds of them in a night: ticks of their own lane, not named one by one.
            if (bookedBySpringBoard(*wake))
                day.notificationWakes.push_back(t);
            else
                day.wakes.emplace_back(t, wake->reason);
        } else if (const auto show = read<events::StatusBarShow>(line)) {
            if (show->item == "VigilantPro" && shownAt < 0) shownAt = t;
        } else if (const auto hide = read<events::StatusBarHide>(line)) {
            if (hide->item == "VigilantPro" && shownAt >= 0) day.holding.push_back({shownAt, t});
            if (hide->item == "VigilantPro") shownAt = -1;
        } else if (const auto start = read<events::JobStarted>(line)) {
            if (start->label == kJobLabel && start->pid > 0) guards.insert(start->pid);
        } else if (const auto answer = read<events::Answer>(line)) {
            // An answer of no known process (pid 0, or none logged) is taken for the guard's.
            const bool guard = answer->pid == 0 || guards.count(answer->pid) > 0;
            if (guard) (answer->answer == "cancel" ? day.refused : day.allowed).push_back(t);
        } else if (is<events::WakeBooked>(line)) {
            day.booked.push_back(t);
        }
    }
    if (sleptAt >= 0) day.asleep.push_back({sleptAt, day.last});
    if (shownAt >= 0) day.holding.push_back({shownAt, day.last});
    if (pluggedAt >= 0) day.charging.push_back({pluggedAt, day.last});
    return day;
}

constexpr int kWidth = 1200, kLeft = 170, kRight = 30, kLaneHeight = 34, kTop = 50, kLanes = 6;
constexpr int kBatteryHeight = 110;  // the battery's panel, under the lanes
const QColor kBatteryLine(20, 140, 70), kCharging(255, 225, 120), kEmpty(200, 40, 40);

class Chart {
  public:
    Chart(const Day& day, const QTimeZone& zone)
        : day_(day),
          zone_(zone),
          image_(kWidth, kTop + kLanes * kLaneHeight + kBatteryHeight + 60, QImage::Format_ARGB32) {
        image_.fill(Qt::white);
    }

    QImage draw(const QString& title) {
        QPainter p(&image_);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(QFont("Sans", 10));
        p.drawText(QRect(10, 10, kWidth - 20, 24), Qt::AlignLeft | Qt::AlignVCenter, title);
        lane(p, 0, "device asleep");
        for (const Span& s : day_.asleep) bar(p, 0, s, QColor(70, 80, 110));
        lane(p, 1, "guard holding");
        for (const Span& s : day_.holding) bar(p, 1, s, QColor(240, 150, 30));
        lane(p, 2, "sleep refused");
        for (long long t : day_.refused) tick(p, 2, t, QColor(200, 40, 40));
        lane(p, 3, "sleep allowed");
        for (long long t : day_.allowed) tick(p, 3, t, QColor(40, 110, 200));
        lane(p, 4, "wake booked / woke");
        for (long long t : day_.booked) tick(p, 4, t, QColor(30, 150, 60));
        for (const auto& [t, reason] : day_.wakes) {
            const int x = xOf(t), y = laneTop(4);
            p.setPen(QPen(Qt::black, 2));
            p.drawLine(x, y + 4, x, y + kLaneHeight - 4);
            p.drawText(x + 3, y + kLaneHeight - 6, QString::fromStdString(reason));
        }
        lane(p, 5, "notification wake-ups");
        for (long long t : day_.notificationWakes) tick(p, 5, t, QColor(120, 60, 170));
        battery(p);
        axis(p);
        return image_;
    }

  private:
    int laneTop(int lane) const { return kTop + lane * kLaneHeight; }
    int xOf(long long t) const {
        const double span = std::max<long long>(1, day_.last - day_.first);
        return kLeft + static_cast<int>((t - day_.first) / span * (kWidth - kLeft - kRight));
    }
    void lane(QPainter& p, int lane, const char* label) {
        p.setPen(Qt::black);
        p.drawText(QRect(10, laneTop(lane), kLeft - 20, kLaneHeight), Qt::AlignVCenter, label);
        p.fillRect(kLeft, laneTop(lane) + 3, kWidth - kLeft - kRight, kLaneHeight - 6,
                   QColor(240, 240, 240));
    }
    void bar(QPainter& p, int lane, const Span& s, const QColor& colour) {
        p.fillRect(xOf(s.from), laneTop(lane) + 3, std::max(2, xOf(s.to) - xOf(s.from)),
                   kLaneHeight - 6, colour);
    }
    void tick(QPainter& p, int lane, long long t, const QColor& colour) {
        p.setPen(QPen(colour, 1));
        p.drawLine(xOf(t), laneTop(lane) + 6, xOf(t), laneTop(lane) + kLaneHeight - 6);
    }
    // The level as a line over the night, on the charger's periods shaded; from the level the
    // device booted with, else from the first reading, held until the night's end.
    void battery(QPainter& p) {
        const int top = laneTop(kLanes) + 6, height = kBatteryHeight - 12;
        const int width = kWidth - kLeft - kRight;
        p.setPen(Qt::black);
        p.drawText(QRect(10, top, kLeft - 20, height), Qt::AlignVCenter, "battery");
        p.fillRect(kLeft, top, width, height, QColor(240, 240, 240));
        for (const Span& s : day_.charging) {
            const int x = xOf(s.from), w = std::max(2, xOf(s.to) - xOf(s.from));
            p.fillRect(x, top, w, height, kCharging);
            p.setPen(QColor(120, 90, 0));
            if (w > 100)
                p.drawText(QRect(x + 4, top + height - 20, w - 8, 18), Qt::AlignLeft,
                           "on the charger");
        }
        const auto yOf = [&](int64_t percent) {
            return top + height -
                   static_cast<int>(std::clamp<int64_t>(percent, 0, 100) * height / 100);
        };
        p.setPen(QPen(QColor(200, 200, 200), 1, Qt::DashLine));
        for (int percent : {20, 50, 80})
            p.drawLine(kLeft, yOf(percent), kLeft + width, yOf(percent));
        p.setPen(QColor(120, 120, 120));
        for (int percent : {0, 50, 100})
            p.drawText(QRect(kLeft - 45, yOf(percent) - 9, 40, 18),
                       Qt::AlignRight | Qt::AlignVCenter, QString("%1%").arg(percent));
        for (long long t : day_.emptied) {
            p.setPen(QPen(kEmpty, 2));
            p.drawLine(xOf(t), top, xOf(t), top + height);
        }
        if (day_.battery.empty()) return;
        QPainterPath line(QPointF(xOf(day_.battery.front().at), yOf(day_.battery.front().percent)));
        for (const Level& l : day_.battery) line.lineTo(xOf(l.at), yOf(l.percent));
        line.lineTo(xOf(day_.last), yOf(day_.battery.back().percent));
        p.setPen(QPen(kBatteryLine, 2));
        p.drawPath(line);
        p.setPen(Qt::black);
        const auto label = [&](const Level& l, int x, Qt::Alignment side) {
            const int y = std::clamp(yOf(l.percent) - 20, top, top + height - 18);
            p.drawText(QRect(x - 60, y, 120, 18), side | Qt::AlignVCenter,
                       QString(" %1% ").arg(l.percent));
        };
        label(day_.battery.front(), xOf(day_.battery.front().at) + 60, Qt::AlignLeft);
        label(day_.battery.back(), xOf(day_.last) - 60, Qt::AlignRight);
    }
    void axis(QPainter& p) {
        const int y = laneTop(kLanes) + kBatteryHeight + 8;
        p.setPen(Qt::black);
        p.drawLine(kLeft, y, kWidth - kRight, y);
        const long long span = day_.last - day_.first;
        const long long step = span > 6 * 3600 ? 3600 : span > 3600 ? 1800 : 600;
        // Ticks on the zone's whole hours, also where it is half an hour off UTC.
        const long long offset =
            zone_.offsetFromUtc(QDateTime::fromSecsSinceEpoch(day_.first, zone_));
        for (long long t = ((day_.first + offset) / step + 1) * step - offset; t <= day_.last;
             t += step) {
            const int x = xOf(t);
            p.drawLine(x, y, x, y + 5);
            const QString label = QDateTime::fromSecsSinceEpoch(t, zone_).toString("HH:mm");
            p.drawText(QRect(x - 30, y + 6, 60, 18), Qt::AlignHCenter, label);
        }
    }

    const Day& day_;
    QTimeZone zone_;
    QImage image_;
};

// The night in words, a line a step at the device's local time. The guard's refusals are
// counted rather than told one by one: a run of them is one line, told before the next step.
// The battery is told where the guard takes hold and where it lets go, as the phone read it
// then: the app's report of the night says the same.
class Timeline {
  public:
    explicit Timeline(const QTimeZone& zone) : zone_(zone) {}

    void add(const Json& line, long long t) {
        if (const auto boot = read<events::Boot>(line)) level_ = boot->battery;
        if (const auto level = read<events::BatteryLevel>(line)) level_ = readingOf(*level);
        if (const auto answer = read<events::Answer>(line)) {
            if (answer->answer != "cancel") return;
            if (refused_++ == 0) firstRefusal_ = t;
            lastRefusal_ = t;
            return;
        }
        const std::string what = step(line);
        if (what.empty()) return;
        tellRefusals();
        std::printf("%s  %s\n", clock(t).c_str(), what.c_str());
        if (holdChanged_ && level_)
            std::printf("%s  battery %lld%%\n", clock(t).c_str(), static_cast<long long>(*level_));
        holdChanged_ = false;
    }
    // A run of refusals the log ends with is told too.
    void end() { tellRefusals(); }

  private:
    // What a line tells; empty: nothing worth a line of its own.
    std::string step(const Json& line) {
        if (const auto job = read<events::JobLoaded>(line))
            return job->label == kJobLabel ? "guard job loaded by launchctl" : "";
        if (const auto job = read<events::JobUnloaded>(line))
            return job->label == kJobLabel ? "guard job unloaded (restart)" : "";
        if (const auto job = read<events::JobStarted>(line))
            return job->label == kJobLabel ? "launchd started the guard daemon" : "";
        if (is<events::WakeBooked>(line)) return "wake-up booked for the window's start";
        if (is<events::WakeWithdrawn>(line)) return "earlier wake-up withdrawn";
        // Each route's show counts; the guard holds from the first until an item goes.
        if (is<events::StatusBarShow>(line)) {
            if (shown_) return "";
            shown_ = true;
            holdChanged_ = true;
            return "guard holding: VigilantPro in the status bar";
        }
        if (is<events::StatusBarHide>(line)) {
            shown_ = false;
            holdChanged_ = true;
            return "status-bar item removed";
        }
        if (const auto source = read<events::PowerSource>(line))
            return source->plugged ? "charger plugged in (" + source->state + ")"
                                   : "charger unplugged";
        if (is<events::BatteryEmpty>(line)) return "battery empty: the device switches off";
        if (is<events::Sleep>(line)) return "device slept";
        if (const auto wake = read<events::Wake>(line)) return "device woke (" + wake->reason + ")";
        return "";
    }

    void tellRefusals() {
        if (refused_ == 0) return;
        std::printf("%s-%s  %d sleep attempts refused by the guard\n", clock(firstRefusal_).c_str(),
                    clock(lastRefusal_).c_str(), refused_);
        refused_ = 0;
    }

    std::string clock(long long t) const {
        return QDateTime::fromSecsSinceEpoch(t, zone_).toString("HH:mm:ss").toStdString();
    }

    QTimeZone zone_;
    bool shown_ = false, holdChanged_ = false;
    std::optional<int64_t> level_;
    int refused_ = 0;
    long long firstRefusal_ = 0, lastRefusal_ = 0;
};

constexpr char kUsage[] =
    "usage: daychart [--boot N] [--timezone ZONE] EVENTS.jsonl OUT.png\n"
    "       daychart --timeline [--timezone ZONE] EVENTS.jsonl\n"
    "Draws the device's day from its event log: asleep and awake, the guard holding,\n"
    "sleep questions refused and allowed, wake-ups booked and why the device woke,\n"
    "SpringBoard's wake-ups for notifications, the battery's level and the charger.\n"
    "The log keeps every boot of the device; the last one is drawn.\n"
    "  --boot N         draw the Nth boot instead (1 is the first)\n"
    "  --timeline       print the log's steps in words instead, every boot's\n"
    "  --timezone ZONE  the device's zone (tz database name), in which the chart reads\n"
    "                   (default UTC)\n";

// A positive whole number, or 0.
long parseCount(const char* text) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    return end && *end == '\0' && end != text && n > 0 ? n : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    long wanted = 0;  // 0: the last boot
    bool timeline = false;
    QTimeZone zone = QTimeZone::utc();
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--boot") == 0 && i + 1 < argc) {
            wanted = parseCount(argv[++i]);
            if (wanted == 0) {
                std::fprintf(stderr, "daychart: --boot wants a boot's number (1 or more)\n");
                return 2;
            }
        } else if (std::strcmp(argv[i], "--timeline") == 0) {
            timeline = true;
        } else if (std::strcmp(argv[i], "--timezone") == 0 && i + 1 < argc) {
            zone = QTimeZone(QByteArray(argv[++i]));
            if (!zone.isValid()) {
                std::fprintf(stderr, "daychart: %s is no time zone of the tz database\n", argv[i]);
                return 2;
            }
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != (timeline ? 1u : 2u)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream in(files[0]);
    if (!in) {
        std::fprintf(stderr, "daychart: cannot read %s\n", files[0]);
        return 1;
    }
    const std::vector<std::vector<Json>> boots = readBoots(in);
    if (timeline) {
        Timeline told(zone);
        for (const auto& boot : boots)
            for (const Json& line : boot) told.add(line, secondsOf(line));
        told.end();
        return 0;
    }
    if (boots.empty()) {
        std::fprintf(stderr, "daychart: %s holds no timed events\n", files[0]);
        return 1;
    }
    const long count = static_cast<long>(boots.size());
    if (wanted > count) {
        std::fprintf(stderr, "daychart: %s holds %ld boot%s, not %ld\n", files[0], count,
                     count == 1 ? "" : "s", wanted);
        return 1;
    }
    const long drawn = wanted ? wanted : count;
    const Day day = readDay(boots[static_cast<size_t>(drawn - 1)]);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's notes about the desktop (no runtime folder, say) are noise for a picture on disk.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "daychart: %s\n", text.toLocal8Bit().constData());
    });
    QGuiApplication qt(argc, argv);
    const QString title =
        QString("The device's day: %1 to %2 (device time, %3)")
            .arg(QDateTime::fromSecsSinceEpoch(day.first, zone).toString("yyyy-MM-dd HH:mm"),
                 QDateTime::fromSecsSinceEpoch(day.last, zone).toString("yyyy-MM-dd HH:mm"),
                 zone == QTimeZone::utc() ? QStringLiteral("UTC") : QString::fromUtf8(zone.id()));
    if (!Chart(day, zone).draw(title).save(QString::fromLocal8Bit(files[1]), "PNG")) {
        std::fprintf(stderr, "daychart: cannot write %s\n", files[1]);
        return 1;
    }
    std::printf("daychart: boot %ld of %ld, %s to %s\n", drawn, count,
                QDateTime::fromSecsSinceEpoch(day.first, zone)
                    .toString("yyyy-MM-dd HH:mm")
                    .toStdString()
                    .c_str(),
                QDateTime::fromSecsSinceEpoch(day.last, zone)
                    .toString("yyyy-MM-dd HH:mm")
                    .toStdString()
                    .c_str());
    return 0;
}
