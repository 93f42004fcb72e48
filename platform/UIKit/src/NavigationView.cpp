#include "NavigationView.h"

#include <UIKit/UIView.h>

#include <QPointer>

#include "Style.h"
#include "Support.h"

namespace uikit {

NavigationView::NavigationView() : bar_(new NavigationBar(this)), content_(new QWidget(this)) {
    markInternal(bar_);
    markInternal(content_);
    bar_->setObjectName(QStringLiteral("navigationBar"));
    resize(style::kScreenWidth, style::kScreenHeight - style::kStatusBarHeight);
}

void NavigationView::resizeEvent(QResizeEvent*) {
    bar_->setGeometry(0, 0, width(), style::kNavigationBarHeight);
    content_->setGeometry(0, style::kNavigationBarHeight, width(),
                          height() - style::kNavigationBarHeight);
    for (QObject* child : content_->children())
        if (auto* widget = qobject_cast<QWidget*>(child)) widget->setGeometry(content_->rect());
}

void NavigationView::install(QWidget* view) {
    if (!view) return;
    if (view->parentWidget() != content_) view->setParent(content_);
    view->setGeometry(content_->rect());
    view->show();
    view->raise();
}

void NavigationView::transition(QWidget* from, QWidget* to, bool forward, bool animated,
                                std::function<void()> done) {
    const QRect home = content_->rect();
    const int w = home.width();
    QPointer<QWidget> leaving(from);
    install(to);
    auto finish = [leaving, to = QPointer<QWidget>(to), done = std::move(done)] {
        if (leaving && leaving != to) leaving->hide();
        if (done) done();
    };
    if (!animated || !UIView::areAnimationsEnabled() || !isVisible() || !from || from == to) {
        if (to) to->setGeometry(home);
        finish();
        return;
    }
    to->setGeometry(home.translated(forward ? w : -w, 0));
    slide(from, home.translated(forward ? -w : w, 0), true);
    slide(to, home, true, finish);
}

}  // namespace uikit
