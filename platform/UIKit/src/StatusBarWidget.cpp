#include "StatusBarWidget.h"

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/Foundation.h>
#include <backend/Backend.h>

#include <QLinearGradient>
#include <QPainter>

#include "Style.h"

namespace uikit {

StatusBarWidget::StatusBarWidget(QWidget* parent) : QWidget(parent) {
    setFixedHeight(style::kStatusBarHeight);
    // SpringBoard may show items only after the window (a device that boots late); the clock
    // moves on anyway. Once a second is cheap and keeps both right.
    poll_.setInterval(1000);
    connect(&poll_, &QTimer::timeout, this, [this] {
        refresh();
        if (clockText() != clock_) update();
    });
    poll_.start();
    refresh();
}

void StatusBarWidget::refresh() {
    QStringList items;
    for (const std::string& name : platform::springBoardService().statusBarItems())
        items << QString::fromStdString(name);
    const platform::BatteryService::Battery battery = platform::batteryService().battery();
    if (items != items_ || battery.known != battery_.known || battery.level != battery_.level ||
        battery.charging != battery_.charging || battery.plugged != battery_.plugged) {
        items_ = items;
        battery_ = battery;
        update();
    }
}

void StatusBarWidget::paintBattery(QPainter& painter, const QRect& outline) {
    painter.drawRect(outline);
    painter.fillRect(QRect(outline.right() + 1, 8, 2, 4), Qt::black);
    const QRect inside = outline.adjusted(2, 2, -1, -1);
    // A device that reports no battery shows it full, as before there was one.
    const int level = battery_.known ? battery_.level : 100;
    painter.fillRect(
        QRect(inside.left(), inside.top(), inside.width() * level / 100, inside.height()),
        level <= 20 && !battery_.plugged ? QColor(0xc0, 0x20, 0x20) : Qt::black);
    if (!battery_.known) return;
    if (battery_.plugged) {
        // The charging sign: a bolt left of the battery.
        const int x = outline.left() - 9, y = outline.top() - 1;
        const QPoint bolt[] = {{x + 5, y},      {x + 1, y + 7}, {x + 4, y + 7},
                               {x + 2, y + 12}, {x + 7, y + 4}, {x + 4, y + 4}};
        painter.setBrush(Qt::black);
        painter.drawPolygon(bolt, 6);
        painter.setBrush(Qt::NoBrush);
    }
}

QString StatusBarWidget::clockText() const {
    const NSDate now = NSDate::date();
    const NSDateComponents parts = NSCalendar::currentCalendar().componentsFromDate(
        NSHourCalendarUnit | NSMinuteCalendarUnit, now);
    return QString::asprintf("%02ld:%02ld", parts.hour, parts.minute);
}

QPixmap StatusBarWidget::imageFor(const QString& name) {
    auto it = images_.find(name);
    if (it != images_.end()) return *it;
    const std::string devicePath =
        NSBundle::mainBundle().resourcePath() + "/Default_" + name.toStdString() + ".png";
    QPixmap image(QString::fromStdString(platform::hostPath(devicePath)));
    images_.insert(name, image);
    return image;
}

void StatusBarWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, QColor(0xe6, 0xe6, 0xe6));
    shade.setColorAt(1, QColor(0xa9, 0xa9, 0xa9));
    painter.fillRect(rect(), shade);
    painter.setPen(Qt::black);
    painter.setFont(style::font(12, true));
    clock_ = clockText();
    painter.drawText(rect(), Qt::AlignCenter, clock_);
    painter.setFont(style::font(11));
    painter.drawText(QRect(6, 0, 80, height()), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Carrier"));
    // Battery, at the right edge.
    const QRect battery(width() - 30, 5, 22, 10);
    paintBattery(painter, battery);
    // The level, then the items, right to left before the battery (and its charging sign).
    int x = battery.left() - (battery_.known && battery_.plugged ? 14 : 6);
    if (battery_.known) {
        const QString level = QString::number(battery_.level) + "%";
        const int w = painter.fontMetrics().horizontalAdvance(level);
        x -= w;
        painter.drawText(QRect(x, 0, w, height()), Qt::AlignVCenter, level);
        x -= 4;
    }
    for (auto it = items_.crbegin(); it != items_.crend(); ++it) {
        const QPixmap image = imageFor(*it);
        if (!image.isNull()) {
            const QPixmap scaled = image.scaledToHeight(height() - 4, Qt::SmoothTransformation);
            x -= scaled.width();
            painter.drawPixmap(x, 2, scaled);
        } else {
            const int w = painter.fontMetrics().horizontalAdvance(*it);
            x -= w;
            painter.drawText(QRect(x, 0, w, height()), Qt::AlignVCenter, *it);
        }
        x -= 4;
    }
}

}  // namespace uikit
