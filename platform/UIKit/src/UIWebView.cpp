#include <UIKit/UIWebView.h>
#include <backend/Backend.h>
#include <backend/Probes.h>

#include <QFileInfo>
#include <QTimer>

#include "WebWidget.h"

UIWebView::UIWebView(const CGRect& frame) : UIView(new uikit::WebWidget) {
    setFrame(frame);
    QObject::connect(webWidget(), &QTextBrowser::anchorClicked, webWidget(),
                     [this](const QUrl& url) { followLink(url.toString().toStdString()); });
}

UIWebView::~UIWebView() = default;

uikit::WebWidget* UIWebView::webWidget() const { return static_cast<uikit::WebWidget*>(widget()); }

void UIWebView::loadRequest(const NSURLRequest& request) {
    platform::probe::report(
        [&] { return platform::probe::WebRequestLoaded{request.URL().absoluteString()}; });
    startLoad(request, std::nullopt);
}

// As on the phone, a load runs later on the event loop: its start is reported on the next
// turn, the page is read on the one after.
void UIWebView::startLoad(const NSURLRequest& request, std::optional<size_t> historyIndex) {
    if (!widget()) return;
    const unsigned serial = ++serial_;
    pending_ = serial;
    QTimer::singleShot(0, widget(), [this, serial, request, historyIndex] {
        if (pending_ != serial) return;
        if (delegate_) delegate_->webViewDidStartLoad(this);
        QTimer::singleShot(0, widget(), [this, serial, request, historyIndex] {
            performLoad(serial, request, historyIndex);
        });
    });
}

void UIWebView::performLoad(unsigned serial, const NSURLRequest& request,
                            std::optional<size_t> historyIndex) {
    if (pending_ != serial) return;  // stopped, or overtaken by a later load
    const NSURL& url = request.URL();
    if (!url.isFileURL()) {
        fail("this browser shows pages from files only: " + url.absoluteString());
        return;
    }
    const QFileInfo file(QString::fromStdString(platform::hostPath(url.path())));
    if (!file.isFile() || !file.isReadable()) {
        fail("no page at " + url.path());
        return;
    }
    webWidget()->showFile(file.absoluteFilePath(), QString::fromStdString(url.fragment()));
    if (historyIndex && *historyIndex < history_.size()) {
        current_ = *historyIndex;
    } else {
        if (!history_.empty())
            history_.erase(history_.begin() + static_cast<std::ptrdiff_t>(current_ + 1),
                           history_.end());
        history_.push_back(request);
        current_ = history_.size() - 1;
    }
    pending_ = 0;
    if (delegate_) delegate_->webViewDidFinishLoad(this);
}

void UIWebView::fail(const NSString& error) {
    pending_ = 0;
    if (delegate_) delegate_->webViewDidFailLoadWithError(this, error);
}

void UIWebView::reload() {
    if (auto current = request()) startLoad(*current, current_);
}

void UIWebView::stopLoading() { pending_ = 0; }

void UIWebView::goBack() {
    if (canGoBack()) startLoad(history_[current_ - 1], current_ - 1);
}

void UIWebView::goForward() {
    if (canGoForward()) startLoad(history_[current_ + 1], current_ + 1);
}

BOOL UIWebView::canGoBack() const { return !history_.empty() && current_ > 0; }

BOOL UIWebView::canGoForward() const { return current_ + 1 < history_.size(); }

std::optional<NSURLRequest> UIWebView::request() const {
    if (history_.empty()) return std::nullopt;
    return history_[current_];
}

void UIWebView::followLink(const NSString& href) {
    std::optional<NSURL> target;
    if (auto current = request())
        target = current->URL().URLByResolving(href);
    else
        target = NSURL::URLWithString(href);
    if (target) loadRequest(NSURLRequest::requestWithURL(*target));
}

NSString UIWebView::pageText() const {
    return widget() ? webWidget()->toPlainText().toStdString() : NSString();
}

BOOL UIWebView::setOutletNamed(const NSString& name, UIResponder* object) {
    if (name == "delegate") {
        auto* delegate = dynamic_cast<UIWebViewDelegate*>(object);
        if (object && !delegate) return NO;
        delegate_ = delegate;
        return YES;
    }
    return UIView::setOutletNamed(name, object);
}
