// The busy indicator: twelve spokes, the brightest one turning.
#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace uikit {

class SpinnerWidget : public QWidget {
  public:
    SpinnerWidget(int size, QColor color);
    void start();
    void stop();
    bool isSpinning() const { return turn_.isActive(); }
    QSize sizeHint() const override { return {size_, size_}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int size_;
    QColor color_;
    int step_ = 0;
    QTimer turn_;
};

}  // namespace uikit
