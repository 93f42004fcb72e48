#include <UIKit/NSURL.h>

#include <QUrl>

NSURL NSURL::fileURLWithPath(const NSString& path) {
    QString p = QString::fromStdString(path);
    if (!p.startsWith(QLatin1Char('/'))) p.prepend(QLatin1Char('/'));
    return NSURL(QUrl::fromLocalFile(p).toString(QUrl::FullyEncoded).toStdString());
}

std::optional<NSURL> NSURL::URLWithString(const NSString& text) {
    const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative()) return std::nullopt;
    return NSURL(url.toString(QUrl::FullyEncoded).toStdString());
}

std::optional<NSURL> NSURL::URLByResolving(const NSString& relative) const {
    const QUrl link(QString::fromStdString(relative), QUrl::TolerantMode);
    if (!link.isValid()) return std::nullopt;
    const QUrl resolved = QUrl(QString::fromStdString(absolute_)).resolved(link);
    if (!resolved.isValid() || resolved.isRelative()) return std::nullopt;
    return NSURL(resolved.toString(QUrl::FullyEncoded).toStdString());
}

NSString NSURL::scheme() const {
    return QUrl(QString::fromStdString(absolute_)).scheme().toStdString();
}

NSString NSURL::path() const {
    return QUrl(QString::fromStdString(absolute_)).path(QUrl::FullyDecoded).toStdString();
}

NSString NSURL::fragment() const {
    return QUrl(QString::fromStdString(absolute_)).fragment(QUrl::FullyDecoded).toStdString();
}
