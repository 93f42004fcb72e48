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
    if (items != items_) {
        items_ = items;
        update();
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
    painter.drawRect(battery);
    painter.fillRect(QRect(battery.right() + 1, 8, 2, 4), Qt::black);
    painter.fillRect(battery.adjusted(2, 2, -4, -1), Qt::black);
    // The items, right to left before the battery.
    int x = battery.left() - 6;
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
