// A navigation controller's view: the bar on top and the screens' views below it.
#pragma once

#include <QWidget>
#include <functional>

#include "NavigationBar.h"

namespace uikit {

class NavigationView : public QWidget {
  public:
    NavigationView();
    NavigationBar* bar() const { return bar_; }
    QWidget* content() const { return content_; }
    // Puts `view` in the content area, filling it.
    void install(QWidget* view);
    // Slides `to` in over `from` (from the right when `forward`, else from the left); `from`
    // is hidden once the change is over, when `done` runs.
    void transition(QWidget* from, QWidget* to, bool forward, bool animated,
                    std::function<void()> done);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    NavigationBar* bar_;
    QWidget* content_;
};

}  // namespace uikit
