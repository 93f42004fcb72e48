#include "AlertWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "Style.h"

namespace uikit {
namespace {
const char* const kButtonStyle =
    "QPushButton { color: white; font: bold 16px 'DejaVu Sans'; min-height: 36px;"
    " border: 1px solid #1a2544; border-radius: 6px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #7d8bb0, stop:1 #3c4c78); }"
    " QPushButton:pressed { background: #1a2544; }";

QLabel* text(QWidget* parent, const QString& value, int size, bool bold, const char* name) {
    auto* label = new QLabel(value, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(style::font(size, bold));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(p);
    return label;
}
}  // namespace

AlertWidget::AlertWidget(QWidget* parent, const QString& title, const QString& message,
                         const std::vector<QString>& buttons, int stackDepth,
                         std::function<void(int)> tapped)
    : QWidget(parent), box_(new QWidget(this)) {
    setObjectName(QStringLiteral("alert"));
    box_->setObjectName(QStringLiteral("alertBox"));
    auto* column = new QVBoxLayout(box_);
    column->setContentsMargins(12, 14, 12, 12);
    column->setSpacing(8);
    column->addWidget(text(box_, title, 17, true, "alertTitle"));
    column->addWidget(text(box_, message, 15, false, "alertMessage"));
    QBoxLayout* row = buttons.size() == 2 ? static_cast<QBoxLayout*>(new QHBoxLayout)
                                          : static_cast<QBoxLayout*>(new QVBoxLayout);
    row->setSpacing(8);
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto* button = new QPushButton(buttons[i], box_);
        button->setObjectName(QStringLiteral("alertButton%1").arg(i));
        button->setStyleSheet(QString::fromLatin1(kButtonStyle));
        button->setFocusPolicy(Qt::NoFocus);
        const int index = static_cast<int>(i);
        connect(button, &QPushButton::clicked, this, [tapped, index] { tapped(index); });
        row->addWidget(button);
    }
    column->addLayout(row);
    const int width = 284;
    box_->setFixedWidth(width);
    // Wrapped text needs the height for this width; a plain size hint would cut it off.
    box_->setFixedHeight(column->totalHeightForWidth(width));
    const QSize area = parent ? parent->size() : QSize(style::kScreenWidth, style::kScreenHeight);
    resize(area);
    const int offset = 12 * stackDepth;  // stacked alerts stay visible behind the newest
    box_->move((area.width() - width) / 2,
               std::max(style::kStatusBarHeight, (area.height() - box_->height()) / 2 + offset));
}

void AlertWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0, 0, 0, 90));
    const QRectF box = QRectF(box_->geometry()).adjusted(-1, -1, 1, 1);
    p.setBrush(style::alertBox());
    p.setPen(QPen(QColor(0xe0, 0xe6, 0xf0), 2));
    p.drawRoundedRect(box, 10, 10);
}

}  // namespace uikit
