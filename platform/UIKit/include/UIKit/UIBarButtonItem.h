// A button of a navigation bar or a toolbar. Drawn by an action of the user-interface layer;
// an item from an interface file lives as long as that file's views, an item made in code as
// long as whoever holds it.
#pragma once

#include <UIKit/UIResponder.h>
#include <UIKit/UIView.h>

#include <memory>
#include <optional>

class QAction;
namespace uikit {
struct ItemAnchor;
class WidgetHandle;
}

enum UIBarButtonItemStyle : NSInteger {
    UIBarButtonItemStylePlain = 0,
    UIBarButtonItemStyleBordered = 1,
    UIBarButtonItemStyleDone = 2,
};

enum UIBarButtonSystemItem : NSInteger {
    UIBarButtonSystemItemDone = 0,
    UIBarButtonSystemItemCancel = 1,
    UIBarButtonSystemItemEdit = 2,
    UIBarButtonSystemItemSave = 3,
};

class UIBarButtonItem : public UIResponder {
  public:
    UIBarButtonItem(const NSString& title, UIBarButtonItemStyle style, UIResponder* target,
                    const NSString& action);
    UIBarButtonItem(UIBarButtonSystemItem systemItem, UIResponder* target, const NSString& action);
    // An item that shows `customView` instead of a button; the item owns the view.
    explicit UIBarButtonItem(std::unique_ptr<UIView> customView);
    ~UIBarButtonItem() override;

    std::optional<NSString> title() const;
    void setTitle(const std::optional<NSString>& title);
    UIBarButtonItemStyle style() const { return style_; }
    BOOL isEnabled() const;
    void setEnabled(BOOL enabled);
    UIView* customView() const;
    // The target is not owned; the action is looked up by name on it when the item is tapped.
    UIResponder* target() const { return target_; }
    void setTarget(UIResponder* target) { target_ = target; }
    const NSString& action() const { return action_; }
    void setAction(const NSString& action) { action_ = action; }

    // "style" = plain, bordered or done, as an interface file writes it.
    BOOL setAttributeNamed(const NSString& name, const NSString& value) override;

    // ---- the user-interface layer
    QAction* qtAction() const { return qtAction_; }
    // The item drawn by `action`; made on first use for actions of interface files.
    static UIBarButtonItem* itemForAction(QAction* action);
    // What a tap does: sends the action to the target.
    void tap();

  private:
    friend struct uikit::ItemAnchor;
    explicit UIBarButtonItem(QAction* adopted, bool owned);
    QAction* qtAction_;
    bool ownsAction_;
    UIBarButtonItemStyle style_ = UIBarButtonItemStylePlain;
    UIResponder* target_ = nullptr;
    NSString action_;
    // The custom view, owned while it lives: a navigation bar that shows it may take it along.
    std::unique_ptr<uikit::WidgetHandle> customView_;
};
