#include <UIKit/UIAlertView.h>
#include <UIKit/UIWindow.h>
#include <backend/Probes.h>

#include <algorithm>

#include "AlertWidget.h"
#include "Support.h"
#include "ViewAnchor.h"

namespace {
// The window system's hold on the alerts on the screen, oldest first.
std::vector<std::unique_ptr<UIAlertView>>& shown() {
    static std::vector<std::unique_ptr<UIAlertView>> alerts;
    return alerts;
}
}  // namespace

UIAlertView::UIAlertView(std::optional<NSString> title, std::optional<NSString> message,
                         UIAlertViewDelegate* delegate, std::optional<NSString> cancelButtonTitle,
                         std::vector<NSString> otherButtonTitles)
    : title_(std::move(title)),
      message_(std::move(message)),
      delegate_(delegate),
      hasCancel_(cancelButtonTitle.has_value()) {
    if (cancelButtonTitle) buttons_.push_back(*cancelButtonTitle);
    for (auto& t : otherButtonTitles) buttons_.push_back(std::move(t));
}

UIAlertView::~UIAlertView() {
    if (widget_ && widget_->get()) delete widget_->get();
}

QWidget* UIAlertView::widget() const { return widget_ ? widget_->get() : nullptr; }

NSString UIAlertView::buttonTitleAtIndex(NSInteger index) const {
    if (index < 0 || index >= numberOfButtons()) return {};
    return buttons_[static_cast<size_t>(index)];
}

UIAlertView* UIAlertView::show(std::unique_ptr<UIAlertView> alert) {
    if (!alert || alert->visible_) return alert.release();
    UIAlertView* raw = alert.get();
    platform::probe::report([&] {
        return platform::probe::AlertShown{raw->title_, raw->message_, raw->buttons_};
    });
    QWidget* window = UIWindow::keyWindow() ? UIWindow::keyWindow()->widget() : nullptr;
    std::vector<QString> titles;
    for (const auto& b : raw->buttons_) titles.push_back(QString::fromStdString(b));
    auto* widget = new uikit::AlertWidget(
        window, QString::fromStdString(raw->title_.value_or("")),
        QString::fromStdString(raw->message_.value_or("")), titles,
        static_cast<int>(shown().size()),
        [raw](int index) { raw->dismissWithClickedButtonIndexAnimated(index, YES); });
    if (!window) widget->setWindowFlag(Qt::FramelessWindowHint);
    raw->widget_ = std::make_unique<uikit::WidgetHandle>(widget);
    raw->visible_ = true;
    shown().push_back(std::move(alert));
    widget->show();
    widget->raise();
    return raw;
}

void UIAlertView::dismissWithClickedButtonIndexAnimated(NSInteger buttonIndex, BOOL) {
    if (!visible_) return;
    visible_ = false;
    if (QWidget* w = widget()) w->hide();
    platform::probe::report([&] {
        return platform::probe::AlertDismissed{title_, static_cast<long>(buttonIndex)};
    });
    if (delegate_) delegate_->alertViewClickedButtonAtIndex(this, buttonIndex);
    auto& alerts = shown();
    auto it =
        std::find_if(alerts.begin(), alerts.end(),
                     [this](const std::unique_ptr<UIAlertView>& a) { return a.get() == this; });
    if (it == alerts.end()) return;
    std::unique_ptr<UIAlertView> self = std::move(*it);
    alerts.erase(it);
    // The button's own click handler is still running: go once it is over.
    uikit::releaseLater(std::move(self));
}

std::vector<UIAlertView*> UIAlertView::visibleAlerts() {
    std::vector<UIAlertView*> result;
    for (const auto& a : shown()) result.push_back(a.get());
    return result;
}

namespace uikit {
void discardAlerts() { shown().clear(); }
}  // namespace uikit
