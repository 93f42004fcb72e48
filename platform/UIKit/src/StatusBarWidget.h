// The device's status bar: carrier, clock, battery and the items SpringBoard shows now, asked
// of SpringBoard once a second and whenever someone looks.
#pragma once

#include <QMap>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

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
    QStringList items_;
    QString clock_;
    QTimer poll_;
    QMap<QString, QPixmap> images_;
};

}  // namespace uikit
