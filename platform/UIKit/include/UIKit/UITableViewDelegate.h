#pragma once

#include <UIKit/NSIndexPath.h>
#include <UIKit/UIGeometry.h>

class UITableView;

class UITableViewDelegate {
  public:
    virtual ~UITableViewDelegate() = default;
    virtual CGFloat tableViewHeightForRowAtIndexPath(UITableView* tableView,
                                                     const NSIndexPath& indexPath) {
        (void)tableView;
        (void)indexPath;
        return 44.0;
    }
    virtual void tableViewDidSelectRowAtIndexPath(UITableView* tableView,
                                                  const NSIndexPath& indexPath) {
        (void)tableView;
        (void)indexPath;
    }
};
