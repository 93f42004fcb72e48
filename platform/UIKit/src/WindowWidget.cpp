#include "WindowWidget.h"

#include <QGuiApplication>

#include "Style.h"
#include "Support.h"

namespace uikit {

namespace {
QPalette black(QPalette palette) {
    palette.setColor(QPalette::Window, Qt::black);
    return palette;
}
}  // namespace

WindowWidget::WindowWidget()
    : statusBar_(new StatusBarWidget(this)),
      content_(new QWidget(this)),
      screenOff_(new QWidget(this)) {
    markInternal(statusBar_);
    markInternal(content_);
    markInternal(screenOff_);
    content_->setObjectName(QStringLiteral("windowContent"));
    setFixedSize(style::kScreenWidth, style::kScreenHeight);
    setAutoFillBackground(true);
    setPalette(black(palette()));
    screenOff_->setAutoFillBackground(true);
    screenOff_->setPalette(black(screenOff_->palette()));
    screenOff_->hide();
}

void WindowWidget::setScreenOff(bool off) {
    if (off == screenOff()) return;
    if (!off) {
        screenOff_->hide();  // what lay under it is shown again as it was
        return;
    }
    screenOff_->setGeometry(rect());
    screenOff_->raise();  // over the alerts too
    screenOff_->show();
    if (!isVisible()) return;
    // The device's processes stop right after this: paint now, not on the next turn of the
    // event loop, and wait until the display has taken the frame.
    repaint();
    QGuiApplication::sync();
}

void WindowWidget::resizeEvent(QResizeEvent*) {
    statusBar_->setGeometry(0, 0, width(), style::kStatusBarHeight);
    content_->setGeometry(0, style::kStatusBarHeight, width(), height() - style::kStatusBarHeight);
    screenOff_->setGeometry(rect());
    for (QObject* child : content_->children())
        if (auto* widget = qobject_cast<QWidget*>(child))
            if (!widget->property("uikitFloating").toBool()) widget->setGeometry(content_->rect());
}

}  // namespace uikit
