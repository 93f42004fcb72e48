#pragma once

#include <Foundation/Foundation.h>
#include <UIKit/NSIndexPath.h>

class UITableView;
class UITableViewCell;

class UITableViewDataSource {
  public:
    virtual ~UITableViewDataSource() = default;
    virtual NSInteger numberOfSectionsInTableView(UITableView* tableView) {
        (void)tableView;
        return 1;
    }
    virtual NSInteger tableViewNumberOfRowsInSection(UITableView* tableView, NSInteger section) = 0;
    // A cell for the row. A cell that has no superview yet (one made in code) is taken over by
    // the table when it shows it.
    virtual UITableViewCell* tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                            const NSIndexPath& indexPath) = 0;
};
