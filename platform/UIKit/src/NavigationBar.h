// The bar above a navigation stack: a left item (or a back button), the title, a right item.
#pragma once

#include <UIKit/UINavigationItem.h>

#include <QLabel>
#include <QPointer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <vector>

namespace uikit {

class NavigationBar : public QWidget {
  public:
    explicit NavigationBar(QWidget* parent);
    ~NavigationBar() override;
    // Shows `item`; with no left item and a `backTitle`, a back button that runs `back`.
    void show(UINavigationItem* item, const std::optional<QString>& backTitle,
              std::function<void()> back);
    QString title() const { return title_->text(); }
    // The buttons shown now, left to right (for driving the app from outside).
    std::vector<QWidget*> buttons() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Slot {
        QPointer<QWidget> widget;
        bool borrowed = false;  // an item's custom view: handed back, never deleted
    };
    Slot makeSlot(UIBarButtonItem* item);
    void release(Slot& slot);
    void arrange();
    QLabel* title_;
    Slot left_;
    Slot right_;
};

}  // namespace uikit
