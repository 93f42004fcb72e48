// A screen: its view (loaded on first use, from an interface file when it has a nib name), its
// navigation item, and the screens it presents modally.
#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UINavigationItem.h>
#include <UIKit/UIResponder.h>
#include <UIKit/UIView.h>

#include <memory>
#include <optional>
#include <vector>

class UINavigationController;
namespace uikit {
class WidgetHandle;
}

class UIViewController : public UIResponder {
  public:
    // The view comes from the interface file `nibName` of `bundle` (null: the main bundle); with
    // no nib name, loadView makes a plain view.
    explicit UIViewController(std::optional<NSString> nibName = std::nullopt,
                              NSBundle* bundle = nullptr);
    ~UIViewController() override;

    const std::optional<NSString>& nibName() const { return nibName_; }
    NSBundle* nibBundle() const;

    // The view, loaded (and viewDidLoad run) on the first call.
    UIView* view();
    BOOL isViewLoaded() const;
    void setView(UIView* view);

    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewDidUnload() {}
    virtual void viewWillAppear(BOOL animated) { (void)animated; }
    virtual void viewDidAppear(BOOL animated) { (void)animated; }
    virtual void viewWillDisappear(BOOL animated) { (void)animated; }
    virtual void viewDidDisappear(BOOL animated) { (void)animated; }
    virtual void didReceiveMemoryWarning() {}

    std::optional<NSString> title() const { return title_; }
    // Also the navigation item's title.
    void setTitle(const std::optional<NSString>& title);
    UINavigationItem& navigationItem() { return navigationItem_; }

    // The navigation controller whose stack holds this screen, if any.
    UINavigationController* navigationController() const;
    // The screen presented over this one, and the one that presented this one.
    UIViewController* modalViewController() const { return modal_.get(); }
    UIViewController* parentViewController() const;
    // Shows `controller` over the whole window; this screen owns it until it is dismissed.
    void presentModalViewControllerAnimated(std::unique_ptr<UIViewController> controller,
                                            BOOL animated);
    // Closes the screen that this one presents, or, when it presents none, the modal screen
    // that holds this one; the closed screen is destroyed.
    void dismissModalViewControllerAnimated(BOOL animated);

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;
    BOOL setAttributeNamed(const NSString& name, const NSString& value) override;

    // ---- the user-interface layer
    void setNavigationController(UINavigationController* controller) { navigation_ = controller; }
    // Appearance as the screen's container drives it (window, navigation stack, modal).
    void beginAppearance(BOOL appearing, BOOL animated);
    void endAppearance(BOOL appearing, BOOL animated);

  protected:
    // Objects that this screen's interface file made besides its views, kept with the screen.
    std::vector<std::unique_ptr<UIResponder>>& nibObjects() { return nibObjects_; }

  private:
    std::optional<NSString> nibName_;
    NSBundle* bundle_;
    std::unique_ptr<uikit::WidgetHandle> view_;  // null until loaded; empty once destroyed
    std::optional<NSString> title_;
    UINavigationItem navigationItem_;
    UINavigationController* navigation_ = nullptr;
    UIViewController* presenting_ = nullptr;
    std::unique_ptr<UIViewController> modal_;
    std::vector<std::unique_ptr<UIResponder>> nibObjects_;
};
