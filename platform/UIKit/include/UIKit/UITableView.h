// A list of rows in sections. The table asks its data source for sections, rows and cells and
// its delegate for heights; a tap on a row selects it and tells the delegate.
#pragma once

#include <UIKit/NSIndexPath.h>
#include <UIKit/NSIndexSet.h>
#include <UIKit/UITableViewCell.h>
#include <UIKit/UITableViewDataSource.h>
#include <UIKit/UITableViewDelegate.h>
#include <UIKit/UIView.h>

#include <optional>
#include <vector>

enum UITableViewStyle : NSInteger {
    UITableViewStylePlain = 0,
    UITableViewStyleGrouped = 1,
};

enum UITableViewRowAnimation : NSInteger {
    UITableViewRowAnimationFade = 0,
    UITableViewRowAnimationRight = 1,
    UITableViewRowAnimationLeft = 2,
    UITableViewRowAnimationTop = 3,
    UITableViewRowAnimationBottom = 4,
    UITableViewRowAnimationNone = 5,
};

enum UITableViewScrollPosition : NSInteger {
    UITableViewScrollPositionNone = 0,
    UITableViewScrollPositionTop = 1,
    UITableViewScrollPositionMiddle = 2,
    UITableViewScrollPositionBottom = 3,
};

namespace uikit {
class TableWidget;
}

class UITableView : public UIView {
  public:
    UITableView(const CGRect& frame, UITableViewStyle style);
    ~UITableView() override;

    UITableViewStyle style() const;
    // Neither is owned.
    UITableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(UITableViewDataSource* dataSource);
    UITableViewDelegate* delegate() const { return delegate_; }
    void setDelegate(UITableViewDelegate* delegate);

    // Asks the data source afresh for everything shown.
    void reloadData();
    // The data source already answers with the change; the table takes it up, animated.
    void insertSectionsWithRowAnimation(const NSIndexSet& sections,
                                        UITableViewRowAnimation animation);
    void deleteSectionsWithRowAnimation(const NSIndexSet& sections,
                                        UITableViewRowAnimation animation);

    // As the table shows them now.
    NSInteger numberOfSections() const;
    NSInteger numberOfRowsInSection(NSInteger section) const;
    // The cell shown for the row, null when the row is not shown.
    UITableViewCell* cellForRowAtIndexPath(const NSIndexPath& indexPath) const;
    CGRect rectForRowAtIndexPath(const NSIndexPath& indexPath) const;

    void selectRowAtIndexPathAnimatedScrollPosition(const std::optional<NSIndexPath>& indexPath,
                                                    BOOL animated,
                                                    UITableViewScrollPosition position);
    void deselectRowAtIndexPathAnimated(const NSIndexPath& indexPath, BOOL animated);
    std::optional<NSIndexPath> indexPathForSelectedRow() const;

    // A cell that the table no longer shows, made with `identifier`; null when there is none.
    UITableViewCell* dequeueReusableCellWithIdentifier(const NSString& identifier);

    // Shown below the last section; the table owns it from now on.
    UIView* tableFooterView() const { return footer_; }
    void setTableFooterView(UIView* view);

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;
    BOOL setAttributeNamed(const NSString& name, const NSString& value) override;

    // ---- the user-interface layer
    uikit::TableWidget* tableWidget() const;
    // A tap on a row, as the user makes it: selects the row and tells the delegate.
    void tapRowAtIndexPath(const NSIndexPath& indexPath);

  private:
    UITableViewDataSource* dataSource_ = nullptr;
    UITableViewDelegate* delegate_ = nullptr;
    UIView* footer_ = nullptr;
};
