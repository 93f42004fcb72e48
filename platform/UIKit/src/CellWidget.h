// A table cell's widget: white, with rounded ends at the top and bottom of a grouped section,
// blue while selected. Taps go to the table that shows it.
#pragma once

#include <QWidget>
#include <functional>

namespace uikit {

class CellWidget : public QWidget {
  public:
    CellWidget();
    void setSelectedLook(bool selected);
    // Where the cell sits in its section, for the rounded ends (grouped tables only).
    void setGroupPosition(bool grouped, bool first, bool last);
    void setTapHandler(std::function<void()> handler) { tapped_ = std::move(handler); }
    // Without its background the cell shows only its subviews on the table's own: a section's
    // footnote drawn as a row.
    void setBackgroundShown(bool shown);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool selected_ = false;
    bool grouped_ = false;
    bool first_ = false;
    bool last_ = false;
    bool pressed_ = false;
    bool backgroundShown_ = true;
    std::function<void()> tapped_;
};

}  // namespace uikit
