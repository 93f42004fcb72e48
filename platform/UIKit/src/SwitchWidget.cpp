#include "SwitchWidget.h"

#include <UIKit/UIView.h>

#include <QPainter>
#include <QPainterPath>

#include "Style.h"

namespace uikit {

SwitchWidget::SwitchWidget() {
    setCheckable(true);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    slide_.setDuration(style::kAnimationMilliseconds / 2);
    connect(&slide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        knob_ = v.toDouble();
        update();
    });
    connect(this, &QAbstractButton::toggled, this,
            [this] { follow(UIView::areAnimationsEnabled()); });
}

void SwitchWidget::follow(bool animated) {
    const double target = isChecked() ? 1.0 : 0.0;
    slide_.stop();
    if (!animated) {
        knob_ = target;
        update();
        return;
    }
    slide_.setStartValue(knob_);
    slide_.setEndValue(target);
    slide_.start();
}

void SwitchWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(track, 6, 6);
    const double knobWidth = 40;
    const double knobX = track.left() + knob_ * (track.width() - knobWidth);
    p.setClipPath(shape);
    p.fillRect(
        QRectF(track.left(), track.top(), knobX - track.left() + knobWidth / 2, track.height()),
        style::switchOn());
    p.fillRect(QRectF(knobX + knobWidth / 2, track.top(), track.right() - knobX, track.height()),
               style::switchOff());
    p.setFont(style::font(14, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(knobX - (track.width() - knobWidth), track.top(), track.width() - knobWidth,
                      track.height()),
               Qt::AlignCenter, QStringLiteral("ON"));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawText(QRectF(knobX + knobWidth, track.top(), track.width() - knobWidth, track.height()),
               Qt::AlignCenter, QStringLiteral("OFF"));
    p.setClipping(false);
    const QRectF knob(knobX, track.top(), knobWidth, track.height());
    QLinearGradient shade(knob.topLeft(), knob.bottomLeft());
    shade.setColorAt(0, QColor(0xfc, 0xfc, 0xfc));
    shade.setColorAt(1, QColor(0xd0, 0xd0, 0xd0));
    p.setBrush(shade);
    p.setPen(QColor(0x90, 0x90, 0x90));
    p.drawRoundedRect(knob, 6, 6);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    if (!isEnabled()) p.fillPath(shape, QColor(255, 255, 255, 120));
}

}  // namespace uikit
