#include <Foundation/Foundation.h>
#include <UIKit/UIViewController.h>
#include <UIKit/UIWindow.h>

#include <QPointer>

#include "Style.h"
#include "Support.h"
#include "WindowWidget.h"

namespace {
QPointer<QWidget>& keySlot() {
    static QPointer<QWidget> key;
    return key;
}

uikit::WindowWidget* windowWidget(const UIView* view) {
    return static_cast<uikit::WindowWidget*>(view->widget());
}

// Controllers whose views sit directly in the window: they appear and disappear with it.
std::vector<UIViewController*> rootControllers(uikit::WindowWidget* window) {
    std::vector<UIViewController*> result;
    for (QObject* child : window->content()->children())
        if (auto* widget = qobject_cast<QWidget*>(child))
            if (UIViewController* c = UIView::viewForWidget(widget)->viewController())
                result.push_back(c);
    return result;
}
}  // namespace

UIWindow::UIWindow(const CGRect& frame) : UIView(new uikit::WindowWidget) {
    const NSBundle& bundle = NSBundle::mainBundle();
    const auto name = bundle.objectForInfoDictionaryKey("CFBundleDisplayName");
    widget()->setWindowTitle(
        QString::fromStdString(name.value_or(NSProcessInfo::processInfo().processName())));
    widget()->setFixedSize(static_cast<int>(frame.size.width), static_cast<int>(frame.size.height));
}

UIWindow::~UIWindow() = default;

void UIWindow::addSubview(UIView* view) {
    if (!view || !view->widget() || !widget()) return;
    auto* window = windowWidget(this);
    QWidget* child = view->widget();
    child->setParent(window->content());
    child->setGeometry(window->content()->rect());
    const bool visible = window->isVisible();
    UIViewController* controller = view->viewController();
    if (visible && controller) controller->beginAppearance(YES, NO);
    child->show();
    child->raise();
    if (visible && controller) controller->endAppearance(YES, NO);
}

void UIWindow::makeKeyAndVisible() {
    if (!widget()) return;
    keySlot() = widget();
    auto* window = windowWidget(this);
    if (window->isVisible()) {
        window->raise();
        return;
    }
    const auto controllers = rootControllers(window);
    for (UIViewController* c : controllers) c->beginAppearance(YES, NO);
    window->show();
    window->raise();
    window->activateWindow();
    for (UIViewController* c : controllers) c->endAppearance(YES, NO);
}

BOOL UIWindow::isKeyWindow() const { return widget() && keySlot() == widget(); }

UIWindow* UIWindow::keyWindow() {
    return keySlot() ? dynamic_cast<UIWindow*>(UIView::viewForWidget(keySlot())) : nullptr;
}

CGRect UIWindow::contentFrame() const {
    const QRect r = windowWidget(this)->content()->geometry();
    return CGRectMake(r.x(), r.y(), r.width(), r.height());
}
