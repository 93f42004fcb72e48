#include <UIKit/UINavigationItem.h>

void UINavigationItem::setTitle(const std::optional<NSString>& title) {
    title_ = title;
    notify();
}

void UINavigationItem::setLeftBarButtonItem(UIBarButtonItem* item) {
    left_ = item;
    notify();
    if (ownedLeft_.get() != item) ownedLeft_.reset();
}

void UINavigationItem::setRightBarButtonItem(UIBarButtonItem* item) {
    right_ = item;
    notify();
    if (ownedRight_.get() != item) ownedRight_.reset();
}

void UINavigationItem::setLeftBarButtonItem(std::unique_ptr<UIBarButtonItem> item) {
    UIBarButtonItem* raw = item.get();
    // The bar lets go of the old item before it is destroyed.
    left_ = raw;
    notify();
    ownedLeft_ = std::move(item);
}

void UINavigationItem::setRightBarButtonItem(std::unique_ptr<UIBarButtonItem> item) {
    UIBarButtonItem* raw = item.get();
    right_ = raw;
    notify();
    ownedRight_ = std::move(item);
}
