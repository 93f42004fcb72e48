#include "EditorViewController.h"

EditorViewController::EditorViewController(NSString title, std::optional<NSString> nibName,
                                           NSBundle* bundle)
    : UIViewController(std::move(nibName), bundle), title_(std::move(title)) {}

void EditorViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    navigationItem().setTitle(title_);
    navigationItem().setLeftBarButtonItem(cancelButton_);
    navigationItem().setRightBarButtonItem(saveButton_);
}

void EditorViewController::saveTapped(UIResponder*) {
    save();
    close();
}

void EditorViewController::cancelTapped(UIResponder*) { close(); }

void EditorViewController::close() {
    if (UINavigationController* navigation = navigationController())
        navigation->popViewControllerAnimated(YES);
}

BOOL EditorViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "saveButton", saveButton_) ||
           UIConnectOutlet(name, object, "cancelButton", cancelButton_) ||
           UIViewController::setOutletNamed(name, object);
}

UIAction EditorViewController::actionNamed(const NSString& name) {
    using C = EditorViewController;
    if (auto a = UIBindAction(name, "saveTapped", this, &C::saveTapped)) return a;
    if (auto a = UIBindAction(name, "cancelTapped", this, &C::cancelTapped)) return a;
    return UIViewController::actionNamed(name);
}
