// The web view's widget: a text browser for local HTML. Links come back to the web view,
// which keeps the history itself.
#pragma once

#include <QTextBrowser>

namespace uikit {

class WebWidget : public QTextBrowser {
  public:
    WebWidget();
    // Shows the HTML file at `hostPath`, scrolled to `fragment` when given.
    void showFile(const QString& hostPath, const QString& fragment);

  protected:
    QVariant loadResource(int type, const QUrl& name) override;

  private:
    QString folder_;
};

}  // namespace uikit
