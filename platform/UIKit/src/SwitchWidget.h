// The on/off switch as the phone draws it: a rounded track with ON or OFF and a knob.
#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

namespace uikit {

class SwitchWidget : public QAbstractButton {
  public:
    SwitchWidget();
    QSize sizeHint() const override { return {94, 27}; }
    // Moves the knob to the current state, sliding when `animated`.
    void follow(bool animated);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double knob_ = 0;  // 0: off, 1: on
    QVariantAnimation slide_;
};

}  // namespace uikit
