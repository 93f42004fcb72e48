#include "WebWidget.h"

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>

#include "Style.h"

namespace uikit {

WebWidget::WebWidget() {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    document()->setDefaultFont(style::font(15));
}

void WebWidget::showFile(const QString& hostPath, const QString& fragment) {
    QFile file(hostPath);
    QString html;
    if (file.open(QIODevice::ReadOnly)) html = QString::fromUtf8(file.readAll());
    folder_ = QFileInfo(hostPath).absolutePath();
    setHtml(html);
    if (fragment.isEmpty())
        verticalScrollBar()->setValue(0);
    else
        scrollToAnchor(fragment);
}

// Images and style sheets of a page come from the page's own folder on the host.
QVariant WebWidget::loadResource(int type, const QUrl& name) {
    if (name.isRelative() || name.isLocalFile()) {
        const QString path =
            name.isLocalFile() ? name.toLocalFile() : folder_ + QLatin1Char('/') + name.path();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            if (type == QTextDocument::ImageResource) return bytes;
            return QString::fromUtf8(bytes);
        }
        return {};
    }
    return QTextBrowser::loadResource(type, name);
}

}  // namespace uikit
