#include "TouchActivity.h"

#include <backend/Backend.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

namespace uikit {

namespace {
TouchActivity* g_watcher = nullptr;

bool isTouch(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        case QEvent::MouseMove:  // a drag: the finger moves on the screen
            return static_cast<const QMouseEvent*>(event)->buttons() != Qt::NoButton;
        default:
            return false;
    }
}
}  // namespace

TouchActivity::TouchActivity(std::chrono::milliseconds interval) : interval_(interval) {
    later_.setSingleShot(true);
    later_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire a few per cent early
    connect(&later_, &QTimer::timeout, this, [this] { tell(); });
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    g_watcher = this;
}

TouchActivity::~TouchActivity() {
    if (g_watcher == this) g_watcher = nullptr;
}

void TouchActivity::touchedNow() {
    if (g_watcher) g_watcher->touched();
}

void TouchActivity::touched() {
    const auto now = std::chrono::steady_clock::now();
    if (!lastTold_ || now - *lastTold_ >= interval_) {
        tell();
        return;
    }
    if (!later_.isActive())
        later_.start(std::chrono::ceil<std::chrono::milliseconds>(*lastTold_ + interval_ - now));
}

void TouchActivity::tell() {
    later_.stop();
    lastTold_ = std::chrono::steady_clock::now();
    platform::activityService().userActivity();
}

bool TouchActivity::eventFilter(QObject* watched, QEvent* event) {
    if (isTouch(event)) touched();
    return QObject::eventFilter(watched, event);
}

}  // namespace uikit
