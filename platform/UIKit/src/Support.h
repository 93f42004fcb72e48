// Small helpers the layer's parts share.
#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <memory>

class QRect;
class QWidget;

namespace uikit {

// Destruction at the end of the current event: objects that are closed from inside their own
// handlers (a screen that pops itself, an alert whose button was tapped) must outlive them.
template <class T>
void releaseLater(std::unique_ptr<T> object) {
    if (!object) return;
    if (!QCoreApplication::instance()) return;  // no event loop: object goes now
    std::shared_ptr<T> shared(std::move(object));
    QTimer::singleShot(0, QCoreApplication::instance(), [shared] { (void)shared; });
}

// Marks widgets that the layer adds inside a view for its own drawing (a window's content
// area, a table's canvas): they are not views of their own.
void markInternal(class QWidget* widget);
bool isInternal(const class QWidget* widget);

// Moves `child` into `parent` keeping its geometry, and shows it unless it was hidden on purpose.
void place(class QWidget* child, class QWidget* parent);
bool explicitlyHidden(const class QWidget* widget);

// Takes every alert off the screen without telling delegates (the application is ending).
void discardAlerts();

// Moves `widget` to `to`, sliding over the standard time when `animated` (and animations are
// on). `done` runs once it is there: at once when not animated. A second slide of the same
// widget ends the first one where it was going.
void slide(QWidget* widget, const QRect& to, bool animated, std::function<void()> done = {});

}  // namespace uikit
