#include <UIKit/UIView.h>

#include <QPropertyAnimation>
#include <QWidget>

#include "Style.h"
#include "Support.h"

namespace uikit {

void slide(QWidget* widget, const QRect& to, bool animated, std::function<void()> done) {
    if (!widget) return;
    for (auto* running :
         widget->findChildren<QPropertyAnimation*>(QString(), Qt::FindDirectChildrenOnly)) {
        running->setCurrentTime(running->totalDuration());  // ends it, running its done
        running->stop();
    }
    if (!animated || !UIView::areAnimationsEnabled() || !widget->isVisible()) {
        widget->setGeometry(to);
        if (done) done();
        return;
    }
    auto* animation = new QPropertyAnimation(widget, "geometry", widget);
    animation->setDuration(style::kAnimationMilliseconds);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    animation->setStartValue(widget->geometry());
    animation->setEndValue(to);
    auto pending = std::make_shared<std::function<void()>>(std::move(done));
    QObject::connect(animation, &QPropertyAnimation::finished, animation, [pending] {
        auto run = std::move(*pending);
        *pending = nullptr;
        if (run) run();
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

}  // namespace uikit
