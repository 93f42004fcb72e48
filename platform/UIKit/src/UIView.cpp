#include <UIKit/UIViewController.h>
#include <UIKit/UIWindow.h>

#include <QPointer>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Support.h"
#include "ViewAnchor.h"

namespace uikit {
void markInternal(QWidget* widget) { widget->setProperty("uikitInternal", true); }
bool isInternal(const QWidget* widget) {
    return widget && widget->property("uikitInternal").toBool();
}
bool explicitlyHidden(const QWidget* widget) {
    return widget->testAttribute(Qt::WA_WState_ExplicitShowHide) &&
           widget->testAttribute(Qt::WA_WState_Hidden);
}
void place(QWidget* child, QWidget* parent) {
    const bool hidden = explicitlyHidden(child);
    const QRect geometry = child->geometry();
    child->setParent(parent);
    child->setGeometry(geometry);
    if (!hidden) child->show();
}
}  // namespace uikit

namespace {

bool animationsDefault() {
    const char* value = std::getenv("VIGILANT_UI_ANIMATIONS");
    return !(value && std::strcmp(value, "0") == 0);
}
bool g_animations = animationsDefault();

// The widget the view's subviews go in: its own, past the layer's internal ones.
QWidget* visibleParent(QWidget* widget) {
    QWidget* parent = widget ? widget->parentWidget() : nullptr;
    while (parent && uikit::isInternal(parent)) parent = parent->parentWidget();
    return parent;
}

std::vector<QPointer<QWidget>>& pool() {
    static std::vector<QPointer<QWidget>> views;
    return views;
}

void drainPool() {
    auto pending = std::move(pool());
    pool().clear();
    for (const auto& widget : pending)
        if (widget && !widget->parent()) delete uikit::ViewAnchor::of(widget)->view;
}

}  // namespace

UIView::UIView(const CGRect& frame) : UIView(new QWidget) { setFrame(frame); }

UIView::UIView(QWidget* widget) : widget_(widget) { new uikit::ViewAnchor(this, widget); }

UIView::~UIView() {
    if (!widget_) return;
    if (auto* anchor = uikit::ViewAnchor::of(widget_)) anchor->view = nullptr;
    QWidget* widget = widget_;
    widget_ = nullptr;
    delete widget;
}

CGRect UIView::frame() const {
    if (!widget_) return CGRectZero;
    const QRect r = widget_->geometry();
    return CGRectMake(r.x(), r.y(), r.width(), r.height());
}

void UIView::setFrame(const CGRect& frame) {
    if (!widget_) return;
    widget_->setGeometry(static_cast<int>(std::lround(frame.origin.x)),
                         static_cast<int>(std::lround(frame.origin.y)),
                         static_cast<int>(std::lround(frame.size.width)),
                         static_cast<int>(std::lround(frame.size.height)));
}

CGRect UIView::bounds() const {
    const CGRect f = frame();
    return CGRectMake(0, 0, f.size.width, f.size.height);
}

CGSize UIView::sizeThatFits(const CGSize&) const { return frame().size; }

void UIView::sizeToFit() {
    const CGRect f = frame();
    const CGSize fitted = sizeThatFits(f.size);
    setFrame(CGRectMake(f.origin.x, f.origin.y, fitted.width, fitted.height));
}

void UIView::addSubview(UIView* view) {
    if (!view || view == this || !widget_ || !view->widget_) return;
    uikit::place(view->widget_, widget_);
    view->widget_->raise();
}

void UIView::addSubview(std::unique_ptr<UIView> view) { addSubview(view.release()); }

UIView* UIView::superview() const { return viewForWidget(visibleParent(widget_)); }

std::vector<UIView*> UIView::subviews() const {
    std::vector<UIView*> result;
    if (!widget_) return result;
    std::vector<QWidget*> pending{widget_};
    while (!pending.empty()) {
        QWidget* parent = pending.back();
        pending.pop_back();
        for (QObject* object : parent->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child) continue;
            if (uikit::isInternal(child))
                pending.push_back(child);
            else
                result.push_back(viewForWidget(child));
        }
    }
    return result;
}

UIWindow* UIView::window() const {
    if (!widget_) return nullptr;
    return dynamic_cast<UIWindow*>(viewForWidget(widget_->window()));
}

BOOL UIView::isHidden() const { return widget_ && uikit::explicitlyHidden(widget_); }

void UIView::setHidden(BOOL hidden) {
    if (!widget_) return;
    if (hidden) {
        widget_->hide();
    } else if (widget_->parentWidget()) {
        widget_->show();
    } else {
        // A view with no place yet must not become a window of its own; it shows once placed.
        widget_->setAttribute(Qt::WA_WState_ExplicitShowHide, false);
    }
}

void UIView::setAnimationsEnabled(BOOL enabled) { g_animations = enabled; }
BOOL UIView::areAnimationsEnabled() { return g_animations; }

UIView* UIView::viewForWidget(QWidget* widget) {
    if (!widget) return nullptr;
    if (auto* anchor = uikit::ViewAnchor::of(widget)) return anchor->view;
    return new UIView(widget);  // owned by the widget through its anchor
}

void UIAutoreleaseView(UIView* view) {
    if (!view || !view->widget()) return;
    if (!QCoreApplication::instance()) return;  // no event loop to end an event: kept
    if (pool().empty()) QTimer::singleShot(0, QCoreApplication::instance(), drainPool);
    pool().emplace_back(view->widget());
}
