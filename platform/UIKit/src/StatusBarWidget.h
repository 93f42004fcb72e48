// The device's status bar: carrier, clock, the battery's level and charging sign, and the
// items SpringBoard shows now, asked of SpringBoard and the power sources once a second and
// whenever someone looks.
#pragma once

#include <backend/BatteryService.h>

#include <QMap>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace uikit {

class StatusBarWidget : public QWidget {
  public:
    explicit StatusBarWidget(QWidget* parent);
    // The item names shown now, in order.
    const QStringList& items() const { return items_; }
    // Asks SpringBoard again now.
    void refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap imageFor(const QString& name);
    QString clockText() const;
    void paintBattery(QPainter& painter, const QRect& outline);
    QStringList items_;
    platform::BatteryService::Battery battery_;
    QString clock_;
    QTimer poll_;
    QMap<QString, QPixmap> images_;
};

}  // namespace uikit
