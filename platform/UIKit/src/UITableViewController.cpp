#include <UIKit/UITableViewController.h>

UITableView* UITableViewController::tableView() { return dynamic_cast<UITableView*>(view()); }

void UITableViewController::loadView() {
    UIViewController::loadView();
    if (!isViewLoaded()) setView(new UITableView(CGRectMake(0, 0, 320, 416), style_));
    // A table controller serves its own table unless the interface file said otherwise.
    if (auto* table = dynamic_cast<UITableView*>(
            UIView::viewForWidget(isViewLoaded() ? view()->widget() : nullptr))) {
        if (!table->dataSource()) table->setDataSource(this);
        if (!table->delegate()) table->setDelegate(this);
    }
}

void UITableViewController::viewWillAppear(BOOL animated) {
    UIViewController::viewWillAppear(animated);
    UITableView* table = tableView();
    if (!table) return;
    if (clearsSelection_)
        if (auto selected = table->indexPathForSelectedRow())
            table->deselectRowAtIndexPathAnimated(*selected, animated);
}
