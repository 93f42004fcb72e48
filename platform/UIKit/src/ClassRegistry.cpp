// The classes interface files may name: the layer's own and those the app registers.
#include <UIKit/UINavigationController.h>
#include <UIKit/UITableViewController.h>
#include <UIKit/UIViewController.h>

#include <map>

namespace {
std::map<NSString, UIClassFactory>& registry() {
    static std::map<NSString, UIClassFactory> classes;
    return classes;
}

const UIClassRegistration<UIViewController> kViewController("UIViewController");
const UIClassRegistration<UINavigationController> kNavigationController("UINavigationController");
const UIClassRegistration<UITableViewController> kTableViewController("UITableViewController");
}  // namespace

void UIRegisterClass(const NSString& name, UIClassFactory factory) {
    registry()[name] = std::move(factory);
}

std::unique_ptr<UIResponder> UICreateObjectOfClass(const NSString& name) {
    auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second();
}
