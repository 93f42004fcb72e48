// Ties a view to the widget that draws it: the anchor is a child object of the widget, so the
// widget's destruction (by its parent, say) destroys the view, and the view's destruction
// destroys the widget. Whichever goes first takes the other along, once.
#pragma once

#include <UIKit/UIView.h>

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace uikit {

struct ViewAnchor : QObject {
    explicit ViewAnchor(UIView* view, QWidget* widget);
    ~ViewAnchor() override;
    static ViewAnchor* of(const QWidget* widget);
    UIView* view;
};

// A weak handle on a widget, for owners (controllers) that must not delete a widget twice.
class WidgetHandle {
  public:
    explicit WidgetHandle(QWidget* widget) : widget_(widget) {}
    QWidget* get() const { return widget_.data(); }

  private:
    QPointer<QWidget> widget_;
};

}  // namespace uikit
