#include "WindowWidget.h"

#include "Style.h"
#include "Support.h"

namespace uikit {

WindowWidget::WindowWidget() : statusBar_(new StatusBarWidget(this)), content_(new QWidget(this)) {
    markInternal(statusBar_);
    markInternal(content_);
    content_->setObjectName(QStringLiteral("windowContent"));
    setFixedSize(style::kScreenWidth, style::kScreenHeight);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void WindowWidget::resizeEvent(QResizeEvent*) {
    statusBar_->setGeometry(0, 0, width(), style::kStatusBarHeight);
    content_->setGeometry(0, style::kStatusBarHeight, width(), height() - style::kStatusBarHeight);
    for (QObject* child : content_->children())
        if (auto* widget = qobject_cast<QWidget*>(child))
            if (!widget->property("uikitFloating").toBool()) widget->setGeometry(content_->rect());
}

}  // namespace uikit
