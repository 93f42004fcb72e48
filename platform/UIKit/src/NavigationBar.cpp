#include "NavigationBar.h"

#include <QAction>
#include <QLinearGradient>
#include <QPainter>

#include "Style.h"
#include "Support.h"

namespace uikit {
namespace {
const char* const kButtonStyle =
    "QToolButton { color: white; font: bold 12px 'DejaVu Sans'; padding: 4px 8px;"
    " border: 1px solid #3d4f6a; border-radius: 5px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #8d9db5, stop:1 #4f6a8f); }"
    " QToolButton:disabled { color: #b8c2d0; }"
    " QToolButton:pressed { background: #3d4f6a; }";
const char* const kDoneStyle =
    "QToolButton { color: white; font: bold 12px 'DejaVu Sans'; padding: 4px 8px;"
    " border: 1px solid #1c3f8c; border-radius: 5px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #6f9cf2, stop:1 #2a5bd7); }"
    " QToolButton:pressed { background: #1c3f8c; }";
}  // namespace

NavigationBar::NavigationBar(QWidget* parent) : QWidget(parent), title_(new QLabel(this)) {
    setFixedHeight(style::kNavigationBarHeight);
    title_->setObjectName(QStringLiteral("navigationTitle"));
    title_->setAlignment(Qt::AlignCenter);
    title_->setFont(style::font(20, true));
    QPalette p = title_->palette();
    p.setColor(QPalette::WindowText, style::barText());
    title_->setPalette(p);
}

NavigationBar::~NavigationBar() {
    release(left_);
    release(right_);
}

void NavigationBar::release(Slot& slot) {
    if (slot.widget) {
        if (slot.borrowed)
            slot.widget->setParent(nullptr);  // custom views belong to their items
        else
            delete slot.widget;
    }
    slot = Slot{};
}

NavigationBar::Slot NavigationBar::makeSlot(UIBarButtonItem* item) {
    if (!item) return {};
    if (UIView* custom = item->customView()) {
        place(custom->widget(), this);
        return Slot{custom->widget(), true};
    }
    auto* button = new QToolButton(this);
    button->setDefaultAction(item->qtAction());
    button->setStyleSheet(
        QString::fromLatin1(item->style() == UIBarButtonItemStyleDone ? kDoneStyle : kButtonStyle));
    button->setFocusPolicy(Qt::NoFocus);
    button->show();
    return Slot{button, false};
}

void NavigationBar::show(UINavigationItem* item, const std::optional<QString>& backTitle,
                         std::function<void()> back) {
    release(left_);
    release(right_);
    title_->setText(item && item->title() ? QString::fromStdString(*item->title()) : QString());
    UIBarButtonItem* leftItem = item ? item->leftBarButtonItem() : nullptr;
    left_ = makeSlot(leftItem);
    if (!leftItem && backTitle) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("backButton"));
        button->setText(QStringLiteral("\u2039 ") + *backTitle);
        button->setStyleSheet(QString::fromLatin1(kButtonStyle));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [back] {
            if (back) back();
        });
        button->show();
        left_ = Slot{button, false};
    }
    right_ = makeSlot(item ? item->rightBarButtonItem() : nullptr);
    arrange();
    update();
}

std::vector<QWidget*> NavigationBar::buttons() const {
    std::vector<QWidget*> result;
    if (left_.widget) result.push_back(left_.widget);
    if (right_.widget) result.push_back(right_.widget);
    return result;
}

void NavigationBar::arrange() {
    const int margin = 5;
    int leftEdge = margin;
    int rightEdge = width() - margin;
    if (QWidget* left = left_.widget) {
        const QSize s = left->sizeHint();
        left->setGeometry(margin, (height() - s.height()) / 2, s.width(), s.height());
        leftEdge = margin + s.width() + margin;
    }
    if (QWidget* right = right_.widget) {
        const QSize s = right->sizeHint();
        right->setGeometry(width() - margin - s.width(), (height() - s.height()) / 2, s.width(),
                           s.height());
        rightEdge = width() - margin - s.width() - margin;
    }
    // The title stays centred on the bar while it fits between the buttons.
    const int half = std::max(0, std::min(width() / 2 - leftEdge, rightEdge - width() / 2));
    title_->setGeometry(width() / 2 - half, 0, 2 * half, height());
}

void NavigationBar::resizeEvent(QResizeEvent*) { arrange(); }

void NavigationBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, style::barTop());
    shade.setColorAt(1, style::barBottom());
    p.fillRect(rect(), shade);
    p.setPen(QColor(0x2d, 0x36, 0x42));
    p.drawLine(0, height() - 1, width(), height() - 1);
}

}  // namespace uikit
