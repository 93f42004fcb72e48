#include "PickerWidget.h"

#include <UIKit/UIPickerView.h>

#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <cmath>

#include "Style.h"
#include "Support.h"

namespace uikit {
namespace {
constexpr int kRowHeight = 44;
}

PickerWidget::PickerWidget(UIPickerView* owner) : owner_(owner) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x2c, 0x2f, 0x38));
    setPalette(p);
}

void PickerWidget::rebuild() {
    std::vector<int> keep;
    for (int w = 0; w < wheels(); ++w) keep.push_back(selected(w));
    for (QListWidget* wheel : wheels_) delete wheel;
    wheels_.clear();
    built_ = true;
    UIPickerViewDataSource* source = owner_->dataSource();
    const int count = source ? static_cast<int>(std::max<NSInteger>(
                                   0, source->numberOfComponentsInPickerView(owner_)))
                             : 0;
    for (int w = 0; w < count; ++w) {
        auto* wheel = new QListWidget(this);
        markInternal(wheel);
        wheel->setObjectName(QStringLiteral("wheel%1").arg(w));
        wheel->setFont(style::font(22, true));
        wheel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        wheel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        wheel->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        wheel->setStyleSheet(
            QStringLiteral("QListWidget { background: white; border: 1px solid #555; }"
                           " QListWidget::item { height: 44px; color: black; }"
                           " QListWidget::item:selected { background: #d7dcf0; color: black; }"));
        const int rowCount = static_cast<int>(
            std::max<NSInteger>(0, source->pickerViewNumberOfRowsInComponent(owner_, w)));
        for (int r = 0; r < rowCount; ++r) {
            auto* item = new QListWidgetItem(title(w, r), wheel);
            item->setTextAlignment(Qt::AlignCenter);
            item->setSizeHint(QSize(0, kRowHeight));
        }
        connect(wheel, &QListWidget::currentRowChanged, this, [this, w](int row) {
            centre(w, true);
            if (!quiet_ && row >= 0) owner_->userSelectRowInComponent(row, w);
        });
        wheels_.push_back(wheel);
        quiet_ = true;
        wheel->setCurrentRow(
            rowCount > 0
                ? std::clamp(w < static_cast<int>(keep.size()) ? keep[w] : 0, 0, rowCount - 1)
                : -1);
        quiet_ = false;
        wheel->show();
    }
    arrange();
}

QString PickerWidget::title(int wheel, int row) const {
    UIPickerViewDelegate* delegate = owner_->delegate();
    if (!delegate) return QString::number(row);
    const auto t = delegate->pickerViewTitleForRowForComponent(owner_, row, wheel);
    return t ? QString::fromStdString(*t) : QString();
}

int PickerWidget::rows(int wheel) const {
    return wheel >= 0 && wheel < wheels() ? wheels_[static_cast<size_t>(wheel)]->count() : 0;
}

int PickerWidget::selected(int wheel) const {
    return wheel >= 0 && wheel < wheels() ? wheels_[static_cast<size_t>(wheel)]->currentRow() : -1;
}

void PickerWidget::select(int wheel, int row, bool animated) {
    if (!built_) rebuild();
    if (wheel < 0 || wheel >= wheels() || rows(wheel) == 0) return;
    QListWidget* list = wheels_[static_cast<size_t>(wheel)];
    quiet_ = true;
    list->setCurrentRow(std::clamp(row, 0, list->count() - 1));
    quiet_ = false;
    centre(wheel, animated);
}

void PickerWidget::centre(int wheel, bool animated) {
    QListWidget* list = wheels_[static_cast<size_t>(wheel)];
    const int row = list->currentRow();
    if (row < 0) return;
    QScrollBar* bar = list->verticalScrollBar();
    const int target = std::clamp(row * kRowHeight - (list->viewport()->height() - kRowHeight) / 2,
                                  bar->minimum(), bar->maximum());
    if (!animated || !UIView::areAnimationsEnabled() || !isVisible()) {
        bar->setValue(target);
        return;
    }
    auto* motion = new QPropertyAnimation(bar, "value", list);
    motion->setDuration(style::kAnimationMilliseconds);
    motion->setEndValue(target);
    motion->start(QAbstractAnimation::DeleteWhenStopped);
}

void PickerWidget::arrange() {
    UIPickerViewDelegate* delegate = owner_->delegate();
    int total = 0;
    std::vector<int> widths;
    for (int w = 0; w < wheels(); ++w) {
        const CGFloat width = delegate ? delegate->pickerViewWidthForComponent(owner_, w) : 100.0;
        widths.push_back(std::max(1, static_cast<int>(std::lround(width))));
        total += widths.back();
    }
    int x = std::max(0, (width() - total) / 2);
    for (int w = 0; w < wheels(); ++w) {
        wheels_[static_cast<size_t>(w)]->setGeometry(x, 8, widths[static_cast<size_t>(w)],
                                                     height() - 16);
        x += widths[static_cast<size_t>(w)];
    }
    for (int w = 0; w < wheels(); ++w) centre(w, false);
}

void PickerWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
}

void PickerWidget::showEvent(QShowEvent*) {
    if (!built_) rebuild();
    arrange();
}

void PickerWidget::resizeEvent(QResizeEvent*) { arrange(); }

}  // namespace uikit
