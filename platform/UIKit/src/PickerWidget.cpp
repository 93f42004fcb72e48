#include "PickerWidget.h"

#include <UIKit/UIPickerView.h>

#include <QLinearGradient>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QScroller>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "SelectionBar.h"
#include "Style.h"
#include "Support.h"

namespace uikit {
namespace {
constexpr int kRowHeight = 44;
constexpr int kBandInset = 10;            // the band's frame above and below the wheels
constexpr int kSettleMilliseconds = 150;  // a wheel still this long has stopped turning
constexpr int kSpacers = 2;               // the empty spacer above the first row and below the last
constexpr int kNotchAngle = 120;          // QWheelEvent's angle of one notch

// The rows' labels lie on the wheel itself: no box behind them, selected or not; the wheel is
// white, shaded towards its top and bottom edges as a drum is.
const char* const kWheelStyle =
    "QListWidget { border: none; outline: 0;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #8e8e93, stop:0.18 #f4f4f4,"
    " stop:0.5 white, stop:0.82 #f4f4f4, stop:1 #8e8e93); }"
    " QListWidget::item { color: black; background: transparent; border: none; }"
    " QListWidget::item:selected, QListWidget::item:hover { color: black;"
    " background: transparent; }";
}  // namespace

PickerWidget::PickerWidget(UIPickerView* owner) : owner_(owner), bar_(new SelectionBar(this)) {
    markInternal(bar_);
    bar_->setObjectName(QStringLiteral("selectionBar"));
}

void PickerWidget::rebuild() {
    std::vector<int> keep;
    for (int w = 0; w < wheels(); ++w) keep.push_back(selected(w));
    for (QListWidget* wheel : wheels_) delete wheel;
    wheels_.clear();
    settleTimers_.clear();  // children of the lists
    mouseWheelAngles_.clear();
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
        wheel->setFrameShape(QFrame::NoFrame);
        wheel->setStyleSheet(QString::fromLatin1(kWheelStyle));
        const int rowCount = static_cast<int>(
            std::max<NSInteger>(0, source->pickerViewNumberOfRowsInComponent(owner_, w)));
        (new QListWidgetItem(wheel))->setFlags(Qt::NoItemFlags);  // the spacer above
        for (int r = 0; r < rowCount; ++r) {
            auto* item = new QListWidgetItem(title(w, r), wheel);
            item->setTextAlignment(Qt::AlignCenter);
            item->setSizeHint(QSize(0, kRowHeight));
        }
        (new QListWidgetItem(wheel))->setFlags(Qt::NoItemFlags);  // the spacer below
        connect(wheel, &QListWidget::currentRowChanged, this, [this, w](int listRow) {
            centre(w, true);
            if (!quiet_ && listRow >= 1) owner_->userSelectRowInComponent(listRow - 1, w);
        });
        // A drag turns the wheel as a finger does; whatever turned it, it settles on a row.
        QScroller::grabGesture(wheel->viewport(), QScroller::LeftMouseButtonGesture);
        // The list would scroll three of its first item's heights a notch, the spacer's, some
        // four rows: rows between those steps could not be reached with the mouse wheel.
        wheel->viewport()->installEventFilter(this);
        auto* still = new QTimer(wheel);
        still->setSingleShot(true);
        still->setInterval(kSettleMilliseconds);
        connect(still, &QTimer::timeout, this, [this, w] { settle(w); });
        connect(wheel->verticalScrollBar(), &QScrollBar::valueChanged, still,
                qOverload<>(&QTimer::start));
        wheels_.push_back(wheel);
        settleTimers_.push_back(still);
        mouseWheelAngles_.push_back(0);
        quiet_ = true;
        wheel->setCurrentRow(
            rowCount > 0
                ? 1 + std::clamp(w < static_cast<int>(keep.size()) ? keep[w] : 0, 0, rowCount - 1)
                : -1);
        quiet_ = false;
        wheel->show();
    }
    bar_->raise();
    arrange();
}

QString PickerWidget::title(int wheel, int row) const {
    UIPickerViewDelegate* delegate = owner_->delegate();
    if (!delegate) return QString::number(row);
    const auto t = delegate->pickerViewTitleForRowForComponent(owner_, row, wheel);
    return t ? QString::fromStdString(*t) : QString();
}

int PickerWidget::rows(int wheel) const {
    return wheel >= 0 && wheel < wheels() ? list(wheel)->count() - kSpacers : 0;
}

int PickerWidget::selected(int wheel) const {
    if (wheel < 0 || wheel >= wheels()) return -1;
    const int listRow = list(wheel)->currentRow();
    return listRow >= 1 ? listRow - 1 : -1;
}

void PickerWidget::select(int wheel, int row, bool animated) {
    if (!built_) rebuild();
    if (wheel < 0 || wheel >= wheels() || rows(wheel) == 0) return;
    quiet_ = true;
    list(wheel)->setCurrentRow(1 + std::clamp(row, 0, rows(wheel) - 1));
    quiet_ = false;
    centre(wheel, animated);
}

void PickerWidget::centre(int wheel, bool animated) {
    const int row = selected(wheel);
    if (row < 0) return;
    QScrollBar* bar = list(wheel)->verticalScrollBar();
    // The spacer above is as high as the space above the bar: row r is on it at r rows down.
    const int target = std::clamp(row * kRowHeight, bar->minimum(), bar->maximum());
    if (!animated || !UIView::areAnimationsEnabled() || !isVisible()) {
        bar->setValue(target);
        return;
    }
    auto* motion = new QPropertyAnimation(bar, "value", list(wheel));
    motion->setDuration(style::kAnimationMilliseconds);
    motion->setEndValue(target);
    motion->start(QAbstractAnimation::DeleteWhenStopped);
}

void PickerWidget::settle(int wheel) {
    if (wheel < 0 || wheel >= wheels() || rows(wheel) == 0) return;
    QListWidget* wheelList = list(wheel);
    if (QScroller::hasScroller(wheelList->viewport()) &&
        QScroller::scroller(wheelList->viewport())->state() != QScroller::Inactive) {
        settleTimers_[static_cast<size_t>(wheel)]->start();  // the finger is still on it
        return;
    }
    const int value = wheelList->verticalScrollBar()->value();
    const int nearest =
        std::clamp(static_cast<int>(std::lround(double(value) / kRowHeight)), 0, rows(wheel) - 1);
    if (nearest != selected(wheel))
        wheelList->setCurrentRow(1 + nearest);  // centres and tells the owner
    else if (value != nearest * kRowHeight)
        centre(wheel, true);
}

bool PickerWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return QWidget::eventFilter(watched, event);
    for (int w = 0; w < wheels(); ++w) {
        if (list(w)->viewport() != watched) continue;
        turnByMouseWheel(w, static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PickerWidget::turnByMouseWheel(int wheel, int angle) {
    if (rows(wheel) == 0) return;
    int& pending = mouseWheelAngles_[static_cast<size_t>(wheel)];
    pending += angle;
    const int notches = pending / kNotchAngle;  // a touchpad sends a notch in small parts
    if (notches == 0) return;
    pending -= notches * kNotchAngle;
    // Turned away from the user the wheel shows earlier rows, as the list would scroll.
    const int row = std::clamp(std::max(0, selected(wheel)) - notches, 0, rows(wheel) - 1);
    if (row != selected(wheel)) list(wheel)->setCurrentRow(1 + row);  // centres and tells the owner
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
    const int wheelHeight = std::max(kRowHeight, height() - 2 * kBandInset);
    const int top = (height() - wheelHeight) / 2;
    const int spacer = (wheelHeight - kRowHeight) / 2;
    const int left = std::max(0, (width() - total) / 2);
    int x = left;
    for (int w = 0; w < wheels(); ++w) {
        QListWidget* wheelList = list(w);
        wheelList->setGeometry(x, top, widths[static_cast<size_t>(w)], wheelHeight);
        wheelList->item(0)->setSizeHint(QSize(0, spacer));
        wheelList->item(wheelList->count() - 1)
            ->setSizeHint(QSize(0, wheelHeight - kRowHeight - spacer));
        wheelList->doItemsLayout();
        x += widths[static_cast<size_t>(w)];
    }
    // One bar across every wheel, a little wider than they are, as the platform's.
    bar_->setGeometry(left - 4, top + spacer - 1, total + 8, kRowHeight + 2);
    bar_->setVisible(wheels() > 0);
    for (int w = 0; w < wheels(); ++w) centre(w, false);
}

void PickerWidget::paintEvent(QPaintEvent*) {
    // The band: dark metal across the whole width, the wheels' frame darker still.
    QPainter p(this);
    QLinearGradient metal(0, 0, 0, height());
    metal.setColorAt(0, QColor(0x5d, 0x61, 0x6d));
    metal.setColorAt(0.5, QColor(0x2c, 0x2f, 0x38));
    metal.setColorAt(1, QColor(0x1c, 0x1e, 0x24));
    p.fillRect(rect(), metal);
    if (wheels() == 0) return;
    const QRect first = list(0)->geometry();
    const QRect last = list(wheels() - 1)->geometry();
    p.fillRect(QRect(first.topLeft(), last.bottomRight()).adjusted(-3, -3, 3, 3),
               QColor(0x14, 0x15, 0x1a));
}

void PickerWidget::showEvent(QShowEvent*) {
    if (!built_) rebuild();
    arrange();
}

void PickerWidget::resizeEvent(QResizeEvent*) { arrange(); }

}  // namespace uikit
