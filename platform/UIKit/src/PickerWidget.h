// The picker's widget, as the platform's: a band across the width, the wheels (one list each)
// side by side in its middle and one selection bar across them at the middle row. A wheel
// turns with a drag and settles on the row nearest the bar; a notch of the mouse wheel turns
// it by one row, so that every row can be reached with the mouse wheel alone. Each list has
// an empty spacer above its first row and below its last, so that every row can reach the bar.
#pragma once

#include <QListWidget>
#include <QTimer>
#include <QWidget>
#include <vector>

class UIPickerView;

namespace uikit {

class PickerWidget : public QWidget {
  public:
    explicit PickerWidget(UIPickerView* owner);
    void rebuild();
    void ensureBuilt() {
        if (!built_) rebuild();
    }
    int wheels() const { return static_cast<int>(wheels_.size()); }
    int rows(int wheel) const;
    int selected(int wheel) const;
    void select(int wheel, int row, bool animated);
    QString title(int wheel, int row) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void arrange();
    void centre(int wheel, bool animated);
    // The wheel has stopped turning: the row nearest the bar is chosen and centred on it.
    void settle(int wheel);
    // The mouse wheel turned over `wheel` by `angle` eighths of a degree (120 a notch).
    void turnByMouseWheel(int wheel, int angle);
    QListWidget* list(int wheel) const { return wheels_[static_cast<size_t>(wheel)]; }
    UIPickerView* owner_;
    std::vector<QListWidget*> wheels_;
    std::vector<QTimer*> settleTimers_;
    std::vector<int> mouseWheelAngles_;  // what each wheel got short of a whole notch
    QWidget* bar_;
    bool built_ = false;
    bool quiet_ = false;  // set while the program (not the user) turns a wheel
};

}  // namespace uikit
