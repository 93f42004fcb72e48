// The window's widget: the status bar across the top, the content area below it, and the
// alerts over both; while the device sleeps, the screen off over everything.
#pragma once

#include <QWidget>

#include "StatusBarWidget.h"

namespace uikit {

class WindowWidget : public QWidget {
  public:
    WindowWidget();
    QWidget* content() const { return content_; }
    StatusBarWidget* statusBar() const { return statusBar_; }

    // Dark, the status bar too, as the phone's screen is while the device sleeps; lit again,
    // the window shows what it showed before. Going dark is on the display when this returns.
    void setScreenOff(bool off);
    bool screenOff() const { return !screenOff_->isHidden(); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    StatusBarWidget* statusBar_;
    QWidget* content_;
    QWidget* screenOff_;
};

}  // namespace uikit
