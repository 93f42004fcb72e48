// The table's widget: a scroll area whose canvas holds the cells of every section, laid out
// from the data source's answers and moved (inserted and deleted sections slide) in one
// animation. It is a plain container around the scroll area: Qt's form loader would make each
// child of an interface file the only content of a QScrollArea, dropping the others.
#pragma once

#include <UIKit/UITableView.h>

#include <QPointer>
#include <QScrollArea>
#include <QVariantAnimation>
#include <map>
#include <optional>
#include <vector>

namespace uikit {

class TableWidget : public QWidget {
  public:
    explicit TableWidget(UITableView* owner);
    ~TableWidget() override;

    void setGrouped(bool grouped);
    bool grouped() const { return grouped_; }
    void reload();
    void insertSections(const NSIndexSet& sections, UITableViewRowAnimation animation);
    void deleteSections(const NSIndexSet& sections, UITableViewRowAnimation animation);
    bool loaded() const { return loaded_; }

    NSInteger sections() const { return static_cast<NSInteger>(model_.size()); }
    NSInteger rows(NSInteger section) const;
    UITableViewCell* cell(const NSIndexPath& path) const;
    QRect rect(const NSIndexPath& path) const;
    std::optional<NSIndexPath> pathOf(const UITableViewCell* cell) const;

    std::optional<NSIndexPath> selected() const { return selected_; }
    void select(const std::optional<NSIndexPath>& path);

    UITableViewCell* dequeue(const NSString& identifier);
    // Test support: a cell the table does not show, to hand out again by its identifier.
    void enqueue(UITableViewCell* cell);
    void setFooter(QWidget* footer);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Row {
        QPointer<QWidget> cell;  // null when the data source gave none
        int height;
    };
    using Model = std::vector<std::vector<Row>>;
    Model query();
    std::map<QWidget*, QRect> layout(const Model& model, int* contentHeight) const;
    void adopt(const Model& model);
    void retire(const Model& old);
    void apply(const Model& model);
    void animate(std::map<QWidget*, std::pair<QRect, QRect>> moves, std::vector<QWidget*> leaving);
    bool consistent(size_t expected, const char* what) const;
    void shiftSelection(NSUInteger section, bool inserted);

    // Rows are laid out across the table's own width: the scroll area inside follows it only
    // once it is shown, and a table is filled before that.
    QWidget* viewport() const { return scroll_->viewport(); }

    UITableView* owner_;
    QScrollArea* scroll_;
    QWidget* canvas_;
    QPointer<QWidget> footer_;
    bool grouped_ = false;
    bool loaded_ = false;
    Model model_;
    std::optional<NSIndexPath> selected_;
    std::vector<QPointer<QWidget>> reusable_;
    QVariantAnimation motion_;
    std::map<QWidget*, std::pair<QRect, QRect>> moves_;
    std::vector<QPointer<QWidget>> leaving_;
};

}  // namespace uikit
