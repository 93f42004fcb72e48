// The device's status bar: carrier, clock, battery and the items SpringBoard shows now, as it
// writes them to /var/run/sim/statusbar.plist. Re-read whenever that file changes.
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
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
    // Reads the file again now.
    void refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap imageFor(const QString& name);
    void watch();
    QString clockText() const;
    QStringList items_;
    QString clock_;
    QDateTime stamp_;
    qint64 size_ = -1;
    QFileSystemWatcher watcher_;
    QTimer poll_;
    QMap<QString, QPixmap> images_;
};

}  // namespace uikit
