// A stack of screens under a navigation bar. Pushing slides a screen in from the right,
// popping slides it out again and destroys it.
#pragma once

#include <UIKit/UIViewController.h>

#include <memory>
#include <vector>

namespace uikit {
class NavigationView;
}

class UINavigationController : public UIViewController {
  public:
    UINavigationController();
    // The root is owned by the navigation controller.
    explicit UINavigationController(std::unique_ptr<UIViewController> rootViewController);
    ~UINavigationController() override;

    void pushViewControllerAnimated(std::unique_ptr<UIViewController> controller, BOOL animated);
    // Pops the top screen (never the root). The popped screen is destroyed once the change is
    // over; the result stays valid until the current event ends.
    UIViewController* popViewControllerAnimated(BOOL animated);
    UIViewController* topViewController() const;
    // The modal screen of the top screen if it has one, else the top screen.
    UIViewController* visibleViewController() const;
    std::vector<UIViewController*> viewControllers() const;

    void loadView() override;
    void viewWillAppear(BOOL animated) override;
    void viewDidAppear(BOOL animated) override;
    void viewWillDisappear(BOOL animated) override;
    void viewDidDisappear(BOOL animated) override;
    // "rootViewController": a root that lives elsewhere (in the interface file), not owned.
    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;

  private:
    struct Entry {
        UIViewController* controller;
        std::unique_ptr<UIViewController> owned;
    };
    void setRoot(UIViewController* controller, std::unique_ptr<UIViewController> owned);
    void showTop();
    void refreshBar();
    uikit::NavigationView* navigationView();
    std::vector<Entry> stack_;
};
