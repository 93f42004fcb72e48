#include <UIKit/UITableView.h>
#include <backend/Probes.h>

#include "TableWidget.h"

namespace {
std::vector<unsigned long> indexesOf(const NSIndexSet& set) {
    return std::vector<unsigned long>(set.indexes().begin(), set.indexes().end());
}
}  // namespace

// The widget keeps the table to ask its data source; it does not use it while being made.
UITableView::UITableView(const CGRect& frame, UITableViewStyle style)
    : UIView(new uikit::TableWidget(this)) {
    tableWidget()->setGrouped(style == UITableViewStyleGrouped);
    setFrame(frame);
}

UITableView::~UITableView() = default;

uikit::TableWidget* UITableView::tableWidget() const {
    return static_cast<uikit::TableWidget*>(widget());
}

UITableViewStyle UITableView::style() const {
    return tableWidget()->grouped() ? UITableViewStyleGrouped : UITableViewStylePlain;
}

void UITableView::setDataSource(UITableViewDataSource* dataSource) { dataSource_ = dataSource; }
void UITableView::setDelegate(UITableViewDelegate* delegate) { delegate_ = delegate; }

void UITableView::reloadData() {
    if (widget()) tableWidget()->reload();
}

void UITableView::insertSectionsWithRowAnimation(const NSIndexSet& sections,
                                                 UITableViewRowAnimation animation) {
    platform::probe::report([&] {
        return platform::probe::SectionsInserted{indexesOf(sections), static_cast<int>(animation)};
    });
    if (widget()) tableWidget()->insertSections(sections, animation);
}

void UITableView::deleteSectionsWithRowAnimation(const NSIndexSet& sections,
                                                 UITableViewRowAnimation animation) {
    platform::probe::report([&] {
        return platform::probe::SectionsDeleted{indexesOf(sections), static_cast<int>(animation)};
    });
    if (widget()) tableWidget()->deleteSections(sections, animation);
}

NSInteger UITableView::numberOfSections() const {
    if (!widget()) return 0;
    if (!tableWidget()->loaded()) tableWidget()->reload();
    return tableWidget()->sections();
}

NSInteger UITableView::numberOfRowsInSection(NSInteger section) const {
    if (!widget()) return 0;
    if (!tableWidget()->loaded()) tableWidget()->reload();
    return tableWidget()->rows(section);
}

UITableViewCell* UITableView::cellForRowAtIndexPath(const NSIndexPath& indexPath) const {
    return widget() ? tableWidget()->cell(indexPath) : nullptr;
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& indexPath) const {
    if (!widget()) return CGRectZero;
    const QRect r = tableWidget()->rect(indexPath);
    return CGRectMake(r.x(), r.y(), r.width(), r.height());
}

void UITableView::selectRowAtIndexPathAnimatedScrollPosition(
    const std::optional<NSIndexPath>& indexPath, BOOL, UITableViewScrollPosition) {
    if (!widget()) return;
    if (!tableWidget()->loaded()) tableWidget()->reload();
    tableWidget()->select(indexPath);
}

void UITableView::deselectRowAtIndexPathAnimated(const NSIndexPath& indexPath, BOOL) {
    if (widget() && tableWidget()->selected() == indexPath) tableWidget()->select(std::nullopt);
}

std::optional<NSIndexPath> UITableView::indexPathForSelectedRow() const {
    return widget() ? tableWidget()->selected() : std::nullopt;
}

UITableViewCell* UITableView::dequeueReusableCellWithIdentifier(const NSString& identifier) {
    return widget() ? tableWidget()->dequeue(identifier) : nullptr;
}

void UITableView::setTableFooterView(UIView* view) {
    footer_ = view;
    if (widget()) tableWidget()->setFooter(view ? view->widget() : nullptr);
}

void UITableView::tapRowAtIndexPath(const NSIndexPath& indexPath) {
    if (!cellForRowAtIndexPath(indexPath)) return;
    tableWidget()->select(indexPath);
    if (delegate_) delegate_->tableViewDidSelectRowAtIndexPath(this, indexPath);
}

BOOL UITableView::setOutletNamed(const NSString& name, UIResponder* object) {
    if (name == "dataSource") {
        auto* source = dynamic_cast<UITableViewDataSource*>(object);
        if (object && !source) return NO;
        dataSource_ = source;
        return YES;
    }
    if (name == "delegate") {
        auto* delegate = dynamic_cast<UITableViewDelegate*>(object);
        if (object && !delegate) return NO;
        delegate_ = delegate;
        return YES;
    }
    return UIView::setOutletNamed(name, object);
}

BOOL UITableView::setAttributeNamed(const NSString& name, const NSString& value) {
    if (name == "style" && (value == "grouped" || value == "plain")) {
        tableWidget()->setGrouped(value == "grouped");
        return YES;
    }
    return UIView::setAttributeNamed(name, value);
}
