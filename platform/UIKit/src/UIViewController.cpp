#include <UIKit/UINavigationController.h>
#include <UIKit/UIViewController.h>
#include <UIKit/UIWindow.h>
#include <backend/Probes.h>

#include "NibLoader.h"
#include "Support.h"
#include "ViewAnchor.h"
#include "WindowWidget.h"

UIViewController::UIViewController(std::optional<NSString> nibName, NSBundle* bundle)
    : nibName_(std::move(nibName)), bundle_(bundle) {}

UIViewController::~UIViewController() {
    modal_.reset();
    nibObjects_.clear();
    if (view_ && view_->get()) delete view_->get();
}

NSBundle* UIViewController::nibBundle() const {
    return bundle_ ? bundle_ : &NSBundle::mainBundle();
}

UIView* UIViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) setView(new UIView(CGRectMake(0, 0, 320, 460)));
        viewDidLoad();
    }
    return UIView::viewForWidget(view_->get());
}

BOOL UIViewController::isViewLoaded() const { return view_ != nullptr; }

void UIViewController::setView(UIView* view) {
    QWidget* old = view_ ? view_->get() : nullptr;
    QWidget* next = view ? view->widget() : nullptr;
    if (old && old != next) delete old;
    view_ = std::make_unique<uikit::WidgetHandle>(next);
    if (view) view->setViewController(this);
}

void UIViewController::loadView() {
    if (!nibName_) return;
    uikit::Nib nib = uikit::loadNib(*nibName_, bundle_, this);
    for (auto& object : nib.objects) nibObjects_.push_back(std::move(object));
    // The file may name the view through the outlet "view"; else its top widget is the view.
    if (nib.root && !(view_ && view_->get() == nib.root)) setView(UIView::viewForWidget(nib.root));
}

void UIViewController::setTitle(const std::optional<NSString>& title) {
    title_ = title;
    navigationItem_.setTitle(title);
}

UINavigationController* UIViewController::navigationController() const { return navigation_; }

UIViewController* UIViewController::parentViewController() const {
    if (navigation_) return navigation_;
    return presenting_;
}

void UIViewController::beginAppearance(BOOL appearing, BOOL animated) {
    if (appearing)
        viewWillAppear(animated);
    else
        viewWillDisappear(animated);
}

void UIViewController::endAppearance(BOOL appearing, BOOL animated) {
    if (appearing)
        viewDidAppear(animated);
    else
        viewDidDisappear(animated);
}

namespace {
uikit::WindowWidget* windowFor(UIViewController* controller) {
    UIWindow* window = controller->isViewLoaded() ? controller->view()->window() : nullptr;
    if (!window) window = UIWindow::keyWindow();
    return window ? static_cast<uikit::WindowWidget*>(window->widget()) : nullptr;
}
}  // namespace

void UIViewController::presentModalViewControllerAnimated(
    std::unique_ptr<UIViewController> controller, BOOL animated) {
    if (!controller || modal_) return;
    platform::probe::report([&] { return platform::probe::ModalPresented{bool(animated)}; });
    uikit::WindowWidget* window = windowFor(this);
    modal_ = std::move(controller);
    modal_->presenting_ = this;
    UIViewController* presented = modal_.get();
    QWidget* view = presented->view()->widget();
    const bool visible = window && window->isVisible();
    if (window) {
        const QRect home = window->content()->rect();
        view->setParent(window->content());
        view->setGeometry(animated && visible ? home.translated(0, home.height()) : home);
        view->show();
        view->raise();
    }
    if (visible) {
        beginAppearance(NO, animated);
        presented->beginAppearance(YES, animated);
    }
    const QRect home = window ? window->content()->rect() : view->geometry();
    uikit::slide(view, home, animated, [this, presented, visible, animated] {
        if (!visible) return;
        presented->endAppearance(YES, animated);
        endAppearance(NO, animated);
    });
}

void UIViewController::dismissModalViewControllerAnimated(BOOL animated) {
    if (!modal_) {
        // A presented screen (or one in a presented stack) closes itself through its presenter.
        if (presenting_)
            presenting_->dismissModalViewControllerAnimated(animated);
        else if (navigation_)
            navigation_->dismissModalViewControllerAnimated(animated);
        return;
    }
    platform::probe::report([&] { return platform::probe::ModalDismissed{bool(animated)}; });
    auto closing = std::make_shared<std::unique_ptr<UIViewController>>(std::move(modal_));
    UIViewController* presented = closing->get();
    QWidget* view = presented->view()->widget();
    const bool visible = view->isVisible();
    if (visible) {
        presented->beginAppearance(NO, animated);
        beginAppearance(YES, animated);
    }
    const QRect gone = view->geometry().translated(0, view->height());
    uikit::slide(view, gone, animated, [this, closing, visible, animated] {
        if (QWidget* w = (*closing)->view()->widget()) w->hide();
        if (visible) {
            (*closing)->endAppearance(NO, animated);
            endAppearance(YES, animated);
        }
        (*closing)->presenting_ = nullptr;
        uikit::releaseLater(std::move(*closing));
    });
}

BOOL UIViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    if (name == "view") {
        auto* view = dynamic_cast<UIView*>(object);
        if (object && !view) return NO;
        setView(view);
        return YES;
    }
    if (name == "navigationItem.leftBarButtonItem" || name == "navigationItem.rightBarButtonItem") {
        auto* item = dynamic_cast<UIBarButtonItem*>(object);
        if (object && !item) return NO;
        if (name == "navigationItem.leftBarButtonItem")
            navigationItem_.setLeftBarButtonItem(item);
        else
            navigationItem_.setRightBarButtonItem(item);
        return YES;
    }
    return UIResponder::setOutletNamed(name, object);
}

BOOL UIViewController::setAttributeNamed(const NSString& name, const NSString& value) {
    if (name == "nibName") {
        nibName_ = value;
        return YES;
    }
    if (name == "title") {
        setTitle(value);
        return YES;
    }
    return UIResponder::setAttributeNamed(name, value);
}
