// The picker's widget: one list per wheel, the selected row in the middle band.
#pragma once

#include <QListWidget>
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
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void arrange();
    void centre(int wheel, bool animated);
    UIPickerView* owner_;
    std::vector<QListWidget*> wheels_;
    bool built_ = false;
    bool quiet_ = false;  // set while the program (not the user) turns a wheel
};

}  // namespace uikit
