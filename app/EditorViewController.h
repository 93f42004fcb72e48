// A screen pushed to edit one setting: a title, Cancel on the left and Save on the right of its
// navigation bar. Save hands the edit over (save()) and closes the screen; Cancel just closes it,
// so an edit is stored only when the owner asks for it.
#pragma once

#include <UIKit/UIKit.h>

class EditorViewController : public UIViewController {
  public:
    void viewDidLoad() override;

    void saveTapped(UIResponder* sender);
    void cancelTapped(UIResponder* sender);

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;
    UIAction actionNamed(const NSString& name) override;

  protected:
    EditorViewController(NSString title, std::optional<NSString> nibName, NSBundle* bundle);

    // Hands the edited value to whoever stores it.
    virtual void save() = 0;

  private:
    void close();

    NSString title_;
    UIBarButtonItem* saveButton_ = nullptr;
    UIBarButtonItem* cancelButton_ = nullptr;
};
