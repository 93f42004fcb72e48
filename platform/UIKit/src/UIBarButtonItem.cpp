#include <UIKit/UIBarButtonItem.h>

#include <QAction>

#include "ViewAnchor.h"

namespace uikit {
// Ties an item to its action: the action's destruction destroys the item, and the item's
// destruction destroys an action it made itself.
struct ItemAnchor : QObject {
    ItemAnchor(UIBarButtonItem* i, QAction* action) : QObject(action), item(i) {}
    ~ItemAnchor() override {
        if (!item) return;
        UIBarButtonItem* dying = item;
        item = nullptr;
        dying->qtAction_ = nullptr;
        delete dying;
    }
    static ItemAnchor* of(QAction* action) {
        for (QObject* child : action->children())
            if (auto* anchor = dynamic_cast<ItemAnchor*>(child)) return anchor;
        return nullptr;
    }
    UIBarButtonItem* item;
};
}  // namespace uikit

namespace {
const char* systemTitle(UIBarButtonSystemItem item) {
    switch (item) {
        case UIBarButtonSystemItemDone:
            return "Done";
        case UIBarButtonSystemItemCancel:
            return "Cancel";
        case UIBarButtonSystemItemEdit:
            return "Edit";
        case UIBarButtonSystemItemSave:
            return "Save";
    }
    return "";
}
}  // namespace

UIBarButtonItem::UIBarButtonItem(QAction* adopted, bool owned)
    : qtAction_(adopted), ownsAction_(owned) {
    new uikit::ItemAnchor(this, adopted);
    QObject::connect(adopted, &QAction::triggered, adopted, [this] { tap(); });
}

UIBarButtonItem::UIBarButtonItem(const NSString& title, UIBarButtonItemStyle style,
                                 UIResponder* target, const NSString& action)
    : UIBarButtonItem(new QAction(QString::fromStdString(title)), true) {
    style_ = style;
    target_ = target;
    action_ = action;
}

UIBarButtonItem::UIBarButtonItem(UIBarButtonSystemItem systemItem, UIResponder* target,
                                 const NSString& action)
    : UIBarButtonItem(new QAction(QString::fromLatin1(systemTitle(systemItem))), true) {
    style_ = systemItem == UIBarButtonSystemItemDone || systemItem == UIBarButtonSystemItemSave
                 ? UIBarButtonItemStyleDone
                 : UIBarButtonItemStyleBordered;
    qtAction_->setProperty("uikitSystemItem", static_cast<int>(systemItem));
    target_ = target;
    action_ = action;
}

UIBarButtonItem::UIBarButtonItem(std::unique_ptr<UIView> customView)
    : UIBarButtonItem(new QAction, true) {
    if (customView)
        customView_ = std::make_unique<uikit::WidgetHandle>(customView.release()->widget());
}

UIBarButtonItem::~UIBarButtonItem() {
    if (customView_ && customView_->get()) delete customView_->get();
    if (!qtAction_) return;
    if (auto* anchor = uikit::ItemAnchor::of(qtAction_)) anchor->item = nullptr;
    if (ownsAction_) delete qtAction_;
}

std::optional<NSString> UIBarButtonItem::title() const {
    if (!qtAction_ || qtAction_->text().isEmpty()) return std::nullopt;
    return qtAction_->text().toStdString();
}

void UIBarButtonItem::setTitle(const std::optional<NSString>& title) {
    if (qtAction_) qtAction_->setText(title ? QString::fromStdString(*title) : QString());
}

BOOL UIBarButtonItem::isEnabled() const { return qtAction_ && qtAction_->isEnabled(); }

void UIBarButtonItem::setEnabled(BOOL enabled) {
    if (qtAction_) qtAction_->setEnabled(enabled);
}

UIView* UIBarButtonItem::customView() const {
    return customView_ ? UIView::viewForWidget(customView_->get()) : nullptr;
}

UIBarButtonItem* UIBarButtonItem::itemForAction(QAction* action) {
    if (!action) return nullptr;
    if (auto* anchor = uikit::ItemAnchor::of(action)) return anchor->item;
    return new UIBarButtonItem(action, false);  // owned by the action through its anchor
}

void UIBarButtonItem::tap() {
    if (!isEnabled() || !target_) return;
    if (UIAction action = target_->actionNamed(action_)) action(this);
}

BOOL UIBarButtonItem::setAttributeNamed(const NSString& name, const NSString& value) {
    if (name != "style") return UIResponder::setAttributeNamed(name, value);
    if (value == "plain")
        style_ = UIBarButtonItemStylePlain;
    else if (value == "bordered")
        style_ = UIBarButtonItemStyleBordered;
    else if (value == "done")
        style_ = UIBarButtonItemStyleDone;
    else
        return NO;
    return YES;
}
