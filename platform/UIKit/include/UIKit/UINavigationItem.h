// What a navigation bar shows for one screen: the title and the left and right bar buttons.
#pragma once

#include <UIKit/UIBarButtonItem.h>

#include <functional>
#include <memory>
#include <optional>

class UINavigationItem {
  public:
    UINavigationItem() = default;
    UINavigationItem(const UINavigationItem&) = delete;
    UINavigationItem& operator=(const UINavigationItem&) = delete;

    std::optional<NSString> title() const { return title_; }
    void setTitle(const std::optional<NSString>& title);
    UIBarButtonItem* leftBarButtonItem() const { return left_; }
    UIBarButtonItem* rightBarButtonItem() const { return right_; }
    // An item that lives elsewhere (in an interface file's views): not owned.
    void setLeftBarButtonItem(UIBarButtonItem* item);
    void setRightBarButtonItem(UIBarButtonItem* item);
    // An item made in code: owned by this navigation item from now on.
    void setLeftBarButtonItem(std::unique_ptr<UIBarButtonItem> item);
    void setRightBarButtonItem(std::unique_ptr<UIBarButtonItem> item);

    // ---- the user-interface layer: the navigation bar that shows the item redraws on change.
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  private:
    void notify() const {
        if (changed_) changed_();
    }
    std::optional<NSString> title_;
    UIBarButtonItem* left_ = nullptr;
    UIBarButtonItem* right_ = nullptr;
    std::unique_ptr<UIBarButtonItem> ownedLeft_;
    std::unique_ptr<UIBarButtonItem> ownedRight_;
    std::function<void()> changed_;
};
