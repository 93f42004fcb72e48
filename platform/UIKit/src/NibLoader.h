// Interface files: Qt Designer's .ui files in the bundle's resources, loaded by name as nibs
// are. The views are the file's widgets (UIKit class names are custom widgets); the other
// objects and the connections are written as dynamic properties of the top widget:
//   uiObjects     "NAME: CLASS"             an object of a registered class
//   uiAttributes  "NAME.KEY = VALUE"        a plain attribute (title, nibName, style...)
//   uiOutlets     "NAME.OUTLET = TARGET"    connects an outlet
//   uiActions     "SENDER -> TARGET.ACTION" a control's or bar button's action
// NAME may be "owner" (the object that loads the file), an object of uiObjects, or the
// objectName of a widget or action of the file. See platform/ui/README.md.
#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/UIResponder.h>

#include <memory>
#include <vector>

class QWidget;

namespace uikit {

struct Nib {
    QWidget* root = nullptr;                            // the top widget; the caller owns it
    std::vector<std::unique_ptr<UIResponder>> objects;  // the file's objects, in file order
};

// Loads "<resource folder>/<name>.ui" of `bundle` (null: the main bundle), connecting `owner`.
// A file that cannot be read or parsed yields no root; other problems (a name that is not
// there, an outlet a class does not have) are reported on stderr and skipped.
Nib loadNib(const NSString& name, NSBundle* bundle, UIResponder* owner);
// The host path of that file.
NSString nibPath(const NSString& name, NSBundle* bundle);

}  // namespace uikit
