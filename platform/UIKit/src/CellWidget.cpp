#include "CellWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "Style.h"

namespace uikit {

CellWidget::CellWidget() { setAttribute(Qt::WA_Hover); }

void CellWidget::setSelectedLook(bool selected) {
    selected_ = selected;
    update();
}

void CellWidget::setGroupPosition(bool grouped, bool first, bool last) {
    grouped_ = grouped;
    first_ = first;
    last_ = last;
    update();
}

void CellWidget::setBackgroundShown(bool shown) {
    backgroundShown_ = shown;
    update();
}

void CellWidget::paintEvent(QPaintEvent*) {
    if (!backgroundShown_) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = grouped_ ? 9.0 : 0.0;
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    shape.addRoundedRect(r, first_ || last_ ? radius : 0, first_ || last_ ? radius : 0);
    // Square off the corners that meet a neighbouring cell.
    if (!first_) shape.addRect(QRectF(r.left(), r.top(), r.width(), r.height() / 2));
    if (!last_) shape.addRect(QRectF(r.left(), r.center().y(), r.width(), r.height() / 2));
    p.fillPath(shape.simplified(), selected_ ? style::cellSelected() : style::cellBackground());
    p.setPen(style::separator());
    if (grouped_) {
        p.drawPath(shape.simplified());
    } else {
        p.drawLine(r.bottomLeft(), r.bottomRight());
    }
}

void CellWidget::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void CellWidget::mouseReleaseEvent(QMouseEvent* event) {
    const bool tap = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (tap && tapped_) tapped_();
}

}  // namespace uikit
