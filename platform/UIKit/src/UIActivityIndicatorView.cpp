#include <UIKit/UIActivityIndicatorView.h>

#include "SpinnerWidget.h"

namespace {
uikit::SpinnerWidget* spinner(const UIView* view) {
    return static_cast<uikit::SpinnerWidget*>(view->widget());
}
uikit::SpinnerWidget* newSpinner(UIActivityIndicatorViewStyle style) {
    const int size = style == UIActivityIndicatorViewStyleWhiteLarge ? 37 : 20;
    const QColor color = style == UIActivityIndicatorViewStyleGray ? Qt::gray : Qt::white;
    return new uikit::SpinnerWidget(size, color);
}
}  // namespace

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style)
    : UIView(newSpinner(style)), style_(style) {
    const int size = spinner(this)->sizeHint().width();
    setFrame(CGRectMake(0, 0, size, size));
    setHidden(YES);  // stopped, and hiding when stopped
}

void UIActivityIndicatorView::startAnimating() {
    if (!widget()) return;
    spinner(this)->start();
    setHidden(NO);
}

void UIActivityIndicatorView::stopAnimating() {
    if (!widget()) return;
    spinner(this)->stop();
    if (hidesWhenStopped_) setHidden(YES);
}

BOOL UIActivityIndicatorView::isAnimating() const {
    return widget() && spinner(this)->isSpinning();
}

void UIActivityIndicatorView::setHidesWhenStopped(BOOL hides) {
    hidesWhenStopped_ = hides;
    if (!isAnimating()) setHidden(hides);
}
