#include "SelectionBar.h"

#include <QLinearGradient>
#include <QPainter>

namespace uikit {

SelectionBar::SelectionBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SelectionBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient glass(0, 0, 0, height());
    glass.setColorAt(0, QColor(0xdd, 0xe2, 0xf5, 120));
    glass.setColorAt(0.5, QColor(0x8c, 0x98, 0xcc, 110));
    glass.setColorAt(1, QColor(0x6a, 0x78, 0xbc, 120));
    p.fillRect(rect(), glass);
    p.setPen(QColor(0x4a, 0x55, 0x8a, 220));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
}

}  // namespace uikit
