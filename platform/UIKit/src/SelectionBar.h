// The picker's selection bar: one translucent band across all the wheels at their middle row.
// It lies over the wheels but lets every press, drag and wheel turn through to them.
#pragma once

#include <QWidget>

namespace uikit {

class SelectionBar : public QWidget {
  public:
    explicit SelectionBar(QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace uikit
