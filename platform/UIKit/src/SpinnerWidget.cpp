#include "SpinnerWidget.h"

#include <QPainter>

namespace uikit {

SpinnerWidget::SpinnerWidget(int size, QColor color) : size_(size), color_(color) {
    setFixedSize(size, size);
    turn_.setInterval(80);
    connect(&turn_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % 12;
        update();
    });
}

void SpinnerWidget::start() { turn_.start(); }
void SpinnerWidget::stop() { turn_.stop(); }

void SpinnerWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    const double outer = size_ / 2.0;
    for (int i = 0; i < 12; ++i) {
        QColor c = color_;
        c.setAlphaF(0.15 + 0.85 * ((i - step_ + 12) % 12) / 11.0);
        p.setPen(QPen(c, std::max(1.5, size_ / 10.0), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -outer * 0.45), QPointF(0, -outer * 0.9));
        p.rotate(30);
    }
}

}  // namespace uikit
