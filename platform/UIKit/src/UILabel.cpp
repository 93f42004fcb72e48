#include <UIKit/UILabel.h>

#include <QLabel>
#include <algorithm>

#include "Style.h"

namespace {
QLabel* label(const UIView* view) { return static_cast<QLabel*>(view->widget()); }

QLabel* newLabel() {
    auto* l = new QLabel;
    l->setFont(uikit::style::font(17, true));
    return l;
}
}  // namespace

UILabel::UILabel(const CGRect& frame) : UIView(newLabel()) { setFrame(frame); }

std::optional<NSString> UILabel::text() const {
    if (!widget()) return std::nullopt;
    const QString t = label(this)->text();
    if (t.isNull()) return std::nullopt;
    return t.toStdString();
}

void UILabel::setText(const std::optional<NSString>& text) {
    if (!widget()) return;
    label(this)->setText(text ? QString::fromStdString(*text) : QString());
}

UITextAlignment UILabel::textAlignment() const {
    const Qt::Alignment a = label(this)->alignment();
    if (a & Qt::AlignHCenter) return UITextAlignmentCenter;
    if (a & Qt::AlignRight) return UITextAlignmentRight;
    return UITextAlignmentLeft;
}

void UILabel::setTextAlignment(UITextAlignment alignment) {
    const Qt::Alignment h = alignment == UITextAlignmentCenter  ? Qt::AlignHCenter
                            : alignment == UITextAlignmentRight ? Qt::AlignRight
                                                                : Qt::AlignLeft;
    label(this)->setAlignment(h | Qt::AlignVCenter);
}

CGSize UILabel::sizeThatFits(const CGSize& size) const {
    if (!widget()) return {};
    QLabel* l = label(this);
    l->ensurePolished();  // its style sheet may set the font
    const QFontMetrics metrics(l->font());
    const QMargins m = l->contentsMargins();
    const bool wraps = l->wordWrap() && size.width > 0;
    const int width =
        wraps ? std::max(1, static_cast<int>(size.width) - m.left() - m.right() - 2 * l->margin())
              : 100000;
    const QRect r = metrics.boundingRect(
        QRect(0, 0, width, 100000), Qt::AlignLeft | Qt::AlignTop | (wraps ? Qt::TextWordWrap : 0),
        l->text());
    return CGSize{static_cast<CGFloat>(r.width() + m.left() + m.right() + 2 * l->margin()),
                  static_cast<CGFloat>(std::max(r.height(), metrics.height()) + m.top() +
                                       m.bottom() + 2 * l->margin())};
}
