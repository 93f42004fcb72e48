#include "TableWidget.h"

#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "CellWidget.h"
#include "Style.h"
#include "Support.h"
#include "ViewAnchor.h"

namespace uikit {
namespace {
constexpr int kGroupMargin = 10;
constexpr int kSectionGap = 10;

UITableViewCell* cellOf(QWidget* widget) {
    return widget ? dynamic_cast<UITableViewCell*>(UIView::viewForWidget(widget)) : nullptr;
}
}  // namespace

TableWidget::TableWidget(UITableView* owner)
    : owner_(owner), scroll_(new QScrollArea(this)), canvas_(new QWidget) {
    markInternal(scroll_);
    markInternal(canvas_);
    canvas_->setObjectName(QStringLiteral("tableCanvas"));
    scroll_->setWidget(canvas_);
    scroll_->setWidgetResizable(false);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    markInternal(scroll_->viewport());
    markInternal(scroll_->verticalScrollBar());
    markInternal(scroll_->horizontalScrollBar());
    setGrouped(false);
    motion_.setDuration(style::kAnimationMilliseconds);
    motion_.setStartValue(0.0);
    motion_.setEndValue(1.0);
    motion_.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&motion_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const double t = value.toDouble();
        for (auto& [widget, move] : moves_) {
            const auto& [from, to] = move;
            auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
            widget->setGeometry(mix(from.x(), to.x()), mix(from.y(), to.y()),
                                mix(from.width(), to.width()), mix(from.height(), to.height()));
        }
    });
    connect(&motion_, &QVariantAnimation::finished, this, [this] {
        for (auto& [widget, move] : moves_) widget->setGeometry(move.second);
        for (auto& widget : leaving_)
            if (widget) widget->hide();
        moves_.clear();
        leaving_.clear();
    });
}

TableWidget::~TableWidget() { motion_.stop(); }

void TableWidget::setGrouped(bool grouped) {
    grouped_ = grouped;
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, grouped ? style::groupedBackground() : style::cellBackground());
    viewport()->setPalette(p);
    viewport()->setAutoFillBackground(true);
    canvas_->setPalette(p);
    canvas_->setAutoFillBackground(true);
    if (loaded_) apply(model_);
}

NSInteger TableWidget::rows(NSInteger section) const {
    if (section < 0 || section >= sections()) return 0;
    return static_cast<NSInteger>(model_[static_cast<size_t>(section)].size());
}

UITableViewCell* TableWidget::cell(const NSIndexPath& path) const {
    if (path.section() >= model_.size() || path.row() >= model_[path.section()].size())
        return nullptr;
    return cellOf(model_[path.section()][path.row()].cell);
}

std::optional<NSIndexPath> TableWidget::pathOf(const UITableViewCell* wanted) const {
    for (size_t s = 0; s < model_.size(); ++s)
        for (size_t r = 0; r < model_[s].size(); ++r)
            if (model_[s][r].cell && cellOf(model_[s][r].cell) == wanted)
                return NSIndexPath::indexPathForRowInSection(r, s);
    return std::nullopt;
}

QRect TableWidget::rect(const NSIndexPath& path) const {
    if (!cell(path)) return {};
    int height = 0;
    return layout(model_, &height)[model_[path.section()][path.row()].cell];
}

TableWidget::Model TableWidget::query() {
    Model model;
    UITableViewDataSource* source = owner_->dataSource();
    UITableViewDelegate* delegate = owner_->delegate();
    if (!source) return model;
    const NSInteger sectionCount =
        std::max<NSInteger>(0, source->numberOfSectionsInTableView(owner_));
    for (NSInteger s = 0; s < sectionCount; ++s) {
        std::vector<Row> rows;
        const NSInteger rowCount =
            std::max<NSInteger>(0, source->tableViewNumberOfRowsInSection(owner_, s));
        for (NSInteger r = 0; r < rowCount; ++r) {
            const NSIndexPath path = NSIndexPath::indexPathForRowInSection(
                static_cast<NSUInteger>(r), static_cast<NSUInteger>(s));
            UITableViewCell* cell = source->tableViewCellForRowAtIndexPath(owner_, path);
            const CGFloat h =
                delegate ? delegate->tableViewHeightForRowAtIndexPath(owner_, path) : 44.0;
            rows.push_back(Row{cell ? cell->widget() : nullptr,
                               std::max(0, static_cast<int>(std::lround(h)))});
        }
        model.push_back(std::move(rows));
    }
    return model;
}

std::map<QWidget*, QRect> TableWidget::layout(const Model& model, int* contentHeight) const {
    std::map<QWidget*, QRect> placed;
    const int width = QWidget::width();
    const int x = grouped_ ? kGroupMargin : 0;
    const int w = grouped_ ? width - 2 * kGroupMargin : width;
    int y = grouped_ ? kGroupMargin : 0;
    for (const auto& section : model) {
        if (section.empty()) continue;
        for (const Row& row : section) {
            if (row.cell) placed[row.cell] = QRect(x, y, w, row.height);
            y += row.height;
        }
        if (grouped_) y += kSectionGap;
    }
    if (footer_) {
        placed[footer_] = QRect(footer_->x(), y, footer_->width(), footer_->height());
        y += footer_->height() + kSectionGap;
    }
    *contentHeight = y;
    return placed;
}

void TableWidget::adopt(const Model& model) {
    for (size_t s = 0; s < model.size(); ++s) {
        for (size_t r = 0; r < model[s].size(); ++r) {
            QWidget* widget = model[s][r].cell;
            if (!widget) continue;
            if (widget->parentWidget() != canvas_) widget->setParent(canvas_);
            std::erase_if(reusable_, [widget](const QPointer<QWidget>& w) { return w == widget; });
            if (auto* cell = dynamic_cast<CellWidget*>(widget)) {
                cell->setGroupPosition(grouped_, r == 0, r + 1 == model[s].size());
                UITableViewCell* view = cellOf(widget);
                cell->setTapHandler([this, view] {
                    if (auto path = pathOf(view)) owner_->tapRowAtIndexPath(*path);
                });
            }
            widget->show();
        }
    }
}

// Cells that left the table: hidden, and offered again when they carry a reuse identifier.
void TableWidget::retire(const Model& old) {
    std::vector<QWidget*> shown;
    for (const auto& section : model_)
        for (const Row& row : section)
            if (row.cell) shown.push_back(row.cell);
    for (const auto& section : old)
        for (const Row& row : section) {
            QWidget* widget = row.cell;
            if (!widget || std::find(shown.begin(), shown.end(), widget) != shown.end()) continue;
            if (!moves_.count(widget)) widget->hide();
            UITableViewCell* cell = cellOf(widget);
            if (cell && cell->reuseIdentifier()) enqueue(cell);
        }
}

void TableWidget::apply(const Model& model) {
    int height = 0;
    const auto placed = layout(model, &height);
    canvas_->resize(QWidget::width(), std::max(height, QWidget::height()));
    for (const auto& [widget, r] : placed)
        if (!moves_.count(widget)) widget->setGeometry(r);
}

void TableWidget::reload() {
    motion_.stop();
    moves_.clear();
    const Model old = std::move(model_);
    model_ = query();
    loaded_ = true;
    selected_.reset();
    for (const auto& section : model_)
        for (const Row& row : section)
            if (UITableViewCell* cell = cellOf(row.cell)) cell->setSelected(NO);
    adopt(model_);
    retire(old);
    // Cells of an interface file that the data source does not show stay out of sight.
    for (QObject* child : children())
        if (auto* widget = dynamic_cast<CellWidget*>(child)) widget->hide();
    apply(model_);
}

bool TableWidget::consistent(size_t expected, const char* what) const {
    if (model_.size() == expected) return true;
    std::fprintf(stderr, "UITableView: %s left %zu sections where %zu were expected; reloaded\n",
                 what, model_.size(), expected);
    return false;
}

void TableWidget::shiftSelection(NSUInteger section, bool inserted) {
    if (!selected_) return;
    const NSUInteger s = selected_->section();
    if (inserted && s >= section)
        selected_ = NSIndexPath::indexPathForRowInSection(selected_->row(), s + 1);
    else if (!inserted && s == section)
        selected_.reset();
    else if (!inserted && s > section)
        selected_ = NSIndexPath::indexPathForRowInSection(selected_->row(), s - 1);
}

void TableWidget::insertSections(const NSIndexSet& sections, UITableViewRowAnimation animation) {
    if (!loaded_) {
        reload();
        return;
    }
    motion_.stop();
    int height = 0;
    const auto before = layout(model_, &height);
    const size_t expected = model_.size() + sections.count();
    const Model old = std::move(model_);
    model_ = query();
    for (NSUInteger s : sections.indexes()) shiftSelection(s, true);
    if (!consistent(expected, "inserting sections")) {
        model_ = old;
        reload();
        return;
    }
    adopt(model_);
    retire(old);
    apply(model_);
    const auto after = layout(model_, &height);
    const int w = QWidget::width();
    const int dx = animation == UITableViewRowAnimationLeft ? -w : w;
    std::map<QWidget*, std::pair<QRect, QRect>> moves;
    for (const auto& [widget, to] : after) {
        auto from = before.find(widget);
        if (from != before.end())
            moves[widget] = {from->second, to};
        else
            moves[widget] = {to.translated(dx, 0), to};
    }
    if (animation == UITableViewRowAnimationNone) moves.clear();
    animate(std::move(moves), {});
}

void TableWidget::deleteSections(const NSIndexSet& sections, UITableViewRowAnimation animation) {
    if (!loaded_) {
        reload();
        return;
    }
    motion_.stop();
    int height = 0;
    const auto before = layout(model_, &height);
    if (sections.count() > model_.size() ||
        (!sections.indexes().empty() && *sections.indexes().rbegin() >= model_.size())) {
        std::fprintf(stderr, "UITableView: deleting sections the table does not have; reloaded\n");
        reload();
        return;
    }
    const size_t expected = model_.size() - sections.count();
    std::vector<QWidget*> leaving;
    for (NSUInteger s : sections.indexes())
        for (const Row& row : model_[s])
            if (row.cell) leaving.push_back(row.cell);
    const Model old = std::move(model_);
    model_ = query();
    for (auto it = sections.indexes().rbegin(); it != sections.indexes().rend(); ++it)
        shiftSelection(*it, false);
    if (!consistent(expected, "deleting sections")) {
        reload();
        return;
    }
    const int w = QWidget::width();
    const int dx = animation == UITableViewRowAnimationRight ? w : -w;
    std::map<QWidget*, std::pair<QRect, QRect>> moves;
    for (QWidget* widget : leaving) {
        auto from = before.find(widget);
        if (from != before.end()) moves[widget] = {from->second, from->second.translated(dx, 0)};
    }
    adopt(model_);
    const auto after = layout(model_, &height);
    for (const auto& [widget, to] : after) {
        auto from = before.find(widget);
        moves[widget] = {from != before.end() ? from->second : to, to};
    }
    if (animation == UITableViewRowAnimationNone) moves.clear();
    animate(std::move(moves), leaving);
    retire(old);
    apply(model_);
}

void TableWidget::animate(std::map<QWidget*, std::pair<QRect, QRect>> moves,
                          std::vector<QWidget*> leaving) {
    const bool run = !moves.empty() && UIView::areAnimationsEnabled() && isVisible();
    if (!run) {
        for (auto& [widget, move] : moves) widget->setGeometry(move.second);
        for (QWidget* widget : leaving) widget->hide();
        return;
    }
    moves_ = std::move(moves);
    leaving_.assign(leaving.begin(), leaving.end());
    for (auto& [widget, move] : moves_) {
        widget->setGeometry(move.first);
        widget->show();
        widget->raise();
    }
    motion_.start();
}

void TableWidget::select(const std::optional<NSIndexPath>& path) {
    if (selected_)
        if (UITableViewCell* old = cell(*selected_)) old->setSelected(NO);
    selected_ = path && cell(*path) ? path : std::nullopt;
    if (selected_) cell(*selected_)->setSelected(YES);
}

UITableViewCell* TableWidget::dequeue(const NSString& identifier) {
    for (auto it = reusable_.begin(); it != reusable_.end(); ++it) {
        UITableViewCell* cell = cellOf(*it);
        if (cell && cell->reuseIdentifier() == identifier) {
            reusable_.erase(it);
            return cell;
        }
    }
    std::erase_if(reusable_, [](const QPointer<QWidget>& w) { return !w; });
    return nullptr;
}

void TableWidget::enqueue(UITableViewCell* cell) {
    if (!cell || !cell->widget()) return;
    QWidget* widget = cell->widget();
    if (widget->parentWidget() != canvas_) {
        widget->setParent(canvas_);  // the table keeps it from now on
        widget->hide();
    }
    if (std::find(reusable_.begin(), reusable_.end(), widget) == reusable_.end())
        reusable_.emplace_back(widget);
}

void TableWidget::setFooter(QWidget* footer) {
    if (footer_ && footer_ != footer) footer_->hide();
    footer_ = footer;
    if (footer) place(footer, canvas_);
    if (loaded_) apply(model_);
}

void TableWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) reload();
}

void TableWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scroll_->setGeometry(QWidget::rect());
    if (loaded_) apply(model_);
}

}  // namespace uikit
