// The window's widget: the status bar across the top, the content area below it, and the
// alerts over both.
#pragma once

#include <QWidget>

#include "StatusBarWidget.h"

namespace uikit {

class WindowWidget : public QWidget {
  public:
    WindowWidget();
    QWidget* content() const { return content_; }
    StatusBarWidget* statusBar() const { return statusBar_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    StatusBarWidget* statusBar_;
    QWidget* content_;
};

}  // namespace uikit
