// An alert as the phone draws it: the screen dimmed, a blue box with the title, the message
// and the buttons (side by side when there are two).
#pragma once

#include <QPushButton>
#include <QWidget>
#include <functional>
#include <vector>

namespace uikit {

class AlertWidget : public QWidget {
  public:
    AlertWidget(QWidget* parent, const QString& title, const QString& message,
                const std::vector<QString>& buttons, int stackDepth,
                std::function<void(int)> tapped);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* box_;
};

}  // namespace uikit
