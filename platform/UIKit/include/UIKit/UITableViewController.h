// A screen whose view is a table; it is the table's data source and delegate.
#pragma once

#include <UIKit/UITableView.h>
#include <UIKit/UIViewController.h>

class UITableViewController : public UIViewController,
                              public UITableViewDataSource,
                              public UITableViewDelegate {
  public:
    explicit UITableViewController(std::optional<NSString> nibName = std::nullopt,
                                   NSBundle* bundle = nullptr)
        : UIViewController(std::move(nibName), bundle) {}
    explicit UITableViewController(UITableViewStyle style)
        : UIViewController(std::nullopt, nullptr), style_(style) {}

    // The view, as a table; null when the view is no table.
    UITableView* tableView();
    void loadView() override;
    void viewWillAppear(BOOL animated) override;
    BOOL clearsSelectionOnViewWillAppear() const { return clearsSelection_; }
    void setClearsSelectionOnViewWillAppear(BOOL clears) { clearsSelection_ = clears; }

    NSInteger tableViewNumberOfRowsInSection(UITableView*, NSInteger) override { return 0; }
    UITableViewCell* tableViewCellForRowAtIndexPath(UITableView*, const NSIndexPath&) override {
        return nullptr;
    }

  private:
    UITableViewStyle style_ = UITableViewStylePlain;
    BOOL clearsSelection_ = YES;
};
