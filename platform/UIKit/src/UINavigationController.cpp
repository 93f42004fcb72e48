#include <UIKit/UINavigationController.h>
#include <backend/Probes.h>

#include "NavigationView.h"
#include "Support.h"

UINavigationController::UINavigationController() = default;

UINavigationController::UINavigationController(std::unique_ptr<UIViewController> root) {
    UIViewController* raw = root.get();
    setRoot(raw, std::move(root));
}

UINavigationController::~UINavigationController() {
    // Screens go before the stack's own view; each takes its view along.
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
        it->controller->navigationItem().setChangeHandler(nullptr);
        it->owned.reset();
    }
}

void UINavigationController::setRoot(UIViewController* controller,
                                     std::unique_ptr<UIViewController> owned) {
    for (auto& entry : stack_) entry.controller->navigationItem().setChangeHandler(nullptr);
    stack_.clear();
    if (!controller) return;
    controller->setNavigationController(this);
    controller->navigationItem().setChangeHandler([this] { refreshBar(); });
    stack_.push_back(Entry{controller, std::move(owned)});
    if (isViewLoaded()) showTop();
}

BOOL UINavigationController::setOutletNamed(const NSString& name, UIResponder* object) {
    if (name == "rootViewController") {
        auto* controller = dynamic_cast<UIViewController*>(object);
        if (object && !controller) return NO;
        setRoot(controller, nullptr);
        return YES;
    }
    return UIViewController::setOutletNamed(name, object);
}

uikit::NavigationView* UINavigationController::navigationView() {
    return static_cast<uikit::NavigationView*>(view()->widget());
}

void UINavigationController::loadView() {
    setView(UIView::viewForWidget(new uikit::NavigationView));
}

UIViewController* UINavigationController::topViewController() const {
    return stack_.empty() ? nullptr : stack_.back().controller;
}

UIViewController* UINavigationController::visibleViewController() const {
    UIViewController* top = topViewController();
    if (!top) return modalViewController();
    return top->modalViewController() ? top->modalViewController() : top;
}

std::vector<UIViewController*> UINavigationController::viewControllers() const {
    std::vector<UIViewController*> result;
    for (const auto& entry : stack_) result.push_back(entry.controller);
    return result;
}

void UINavigationController::refreshBar() {
    if (!isViewLoaded() || stack_.empty()) return;
    UIViewController* top = stack_.back().controller;
    std::optional<QString> back;
    if (stack_.size() > 1) {
        const auto previous = stack_[stack_.size() - 2].controller->navigationItem().title();
        back = previous ? QString::fromStdString(*previous) : QStringLiteral("Back");
    }
    navigationView()->bar()->show(&top->navigationItem(), back,
                                  [this] { popViewControllerAnimated(YES); });
}

void UINavigationController::showTop() {
    if (stack_.empty()) return;
    uikit::NavigationView* nav = navigationView();
    QWidget* top = stack_.back().controller->view()->widget();
    for (const auto& entry : stack_)
        if (entry.controller->isViewLoaded() && entry.controller->view()->widget() != top)
            entry.controller->view()->widget()->hide();
    nav->install(top);
    refreshBar();
}

void UINavigationController::viewWillAppear(BOOL animated) {
    showTop();
    if (UIViewController* top = topViewController()) top->beginAppearance(YES, animated);
}

void UINavigationController::viewDidAppear(BOOL animated) {
    if (UIViewController* top = topViewController()) top->endAppearance(YES, animated);
}

void UINavigationController::viewWillDisappear(BOOL animated) {
    if (UIViewController* top = topViewController()) top->beginAppearance(NO, animated);
}

void UINavigationController::viewDidDisappear(BOOL animated) {
    if (UIViewController* top = topViewController()) top->endAppearance(NO, animated);
}

void UINavigationController::pushViewControllerAnimated(
    std::unique_ptr<UIViewController> controller, BOOL animated) {
    if (!controller) return;
    platform::probe::report([&] { return platform::probe::ControllerPushed{bool(animated)}; });
    if (stack_.empty()) {
        UIViewController* raw = controller.get();
        setRoot(raw, std::move(controller));
        return;
    }
    UIViewController* from = stack_.back().controller;
    UIViewController* to = controller.get();
    to->setNavigationController(this);
    to->navigationItem().setChangeHandler([this] { refreshBar(); });
    stack_.push_back(Entry{to, std::move(controller)});
    if (!isViewLoaded()) return;  // shown when the stack's view appears
    uikit::NavigationView* nav = navigationView();
    const bool visible = nav->isVisible();
    QWidget* fromView = from->view()->widget();
    QWidget* toView = to->view()->widget();
    refreshBar();
    if (visible) {
        from->beginAppearance(NO, animated);
        to->beginAppearance(YES, animated);
    }
    nav->transition(fromView, toView, true, animated && visible, [from, to, visible, animated] {
        if (!visible) return;
        from->endAppearance(NO, animated);
        to->endAppearance(YES, animated);
    });
}

UIViewController* UINavigationController::popViewControllerAnimated(BOOL animated) {
    if (stack_.size() < 2) return nullptr;
    platform::probe::report([&] { return platform::probe::ControllerPopped{bool(animated)}; });
    auto leaving =
        std::make_shared<std::unique_ptr<UIViewController>>(std::move(stack_.back().owned));
    UIViewController* from = stack_.back().controller;
    stack_.pop_back();
    from->navigationItem().setChangeHandler(nullptr);
    UIViewController* to = stack_.back().controller;
    if (!isViewLoaded()) {
        uikit::releaseLater(std::move(*leaving));
        return from;
    }
    uikit::NavigationView* nav = navigationView();
    const bool visible = nav->isVisible();
    QWidget* fromView = from->isViewLoaded() ? from->view()->widget() : nullptr;
    QWidget* toView = to->view()->widget();
    refreshBar();
    if (visible) {
        from->beginAppearance(NO, animated);
        to->beginAppearance(YES, animated);
    }
    nav->transition(fromView, toView, false, animated && visible,
                    [from, to, visible, animated, leaving] {
                        if (visible) {
                            from->endAppearance(NO, animated);
                            to->endAppearance(YES, animated);
                        }
                        from->setNavigationController(nullptr);
                        uikit::releaseLater(std::move(*leaving));
                    });
    return from;
}
