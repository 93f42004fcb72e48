// A message box over the application. Showing it does not wait: the window system holds the
// alert while it is on the screen and destroys it when a button is tapped. Several alerts
// stack, the newest on top.
#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UIResponder.h>

#include <memory>
#include <optional>
#include <vector>

class UIAlertView;
class QWidget;
namespace uikit {
class WidgetHandle;
}

class UIAlertViewDelegate {
  public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(UIAlertView* alertView, NSInteger buttonIndex) {
        (void)alertView;
        (void)buttonIndex;
    }
};

class UIAlertView : public UIResponder {
  public:
    // The cancel button (when given) has index 0, the other buttons follow in their order.
    // The delegate is not owned.
    UIAlertView(std::optional<NSString> title, std::optional<NSString> message,
                UIAlertViewDelegate* delegate, std::optional<NSString> cancelButtonTitle,
                std::vector<NSString> otherButtonTitles);
    ~UIAlertView() override;

    // Puts the alert on the screen and hands it to the window system; returns at once.
    static UIAlertView* show(std::unique_ptr<UIAlertView> alert);
    // Takes the alert off the screen as if the button had been tapped: the delegate hears of it,
    // then the alert is destroyed once the current event is over.
    void dismissWithClickedButtonIndexAnimated(NSInteger buttonIndex, BOOL animated);

    const std::optional<NSString>& title() const { return title_; }
    const std::optional<NSString>& message() const { return message_; }
    UIAlertViewDelegate* delegate() const { return delegate_; }
    NSInteger numberOfButtons() const { return static_cast<NSInteger>(buttons_.size()); }
    NSString buttonTitleAtIndex(NSInteger index) const;
    // -1 when there is no cancel button.
    NSInteger cancelButtonIndex() const { return hasCancel_ ? 0 : -1; }
    BOOL isVisible() const { return visible_; }

    // ---- the user-interface layer
    // The alerts on the screen now, oldest first.
    static std::vector<UIAlertView*> visibleAlerts();
    QWidget* widget() const;

  private:
    std::optional<NSString> title_;
    std::optional<NSString> message_;
    UIAlertViewDelegate* delegate_;
    std::vector<NSString> buttons_;
    bool hasCancel_;
    bool visible_ = false;
    std::unique_ptr<uikit::WidgetHandle> widget_;
};
