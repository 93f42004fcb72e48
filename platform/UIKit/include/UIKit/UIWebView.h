// Shows HTML pages from files, with a history. Loads run on the event loop: the delegate hears
// the start and, when the page could be shown, the finish of each load; a failed load ends
// with webViewDidFailLoadWithError instead.
#pragma once

#include <UIKit/NSURL.h>
#include <UIKit/NSURLRequest.h>
#include <UIKit/UIView.h>

#include <memory>
#include <optional>
#include <vector>

class UIWebView;

class UIWebViewDelegate {
  public:
    virtual ~UIWebViewDelegate() = default;
    virtual void webViewDidStartLoad(UIWebView* webView) { (void)webView; }
    virtual void webViewDidFinishLoad(UIWebView* webView) { (void)webView; }
    virtual void webViewDidFailLoadWithError(UIWebView* webView, const NSString& error) {
        (void)webView;
        (void)error;
    }
};

namespace uikit {
class WebWidget;
}

class UIWebView : public UIView {
  public:
    explicit UIWebView(const CGRect& frame = CGRectZero);
    ~UIWebView() override;

    UIWebViewDelegate* delegate() const { return delegate_; }
    void setDelegate(UIWebViewDelegate* delegate) { delegate_ = delegate; }

    void loadRequest(const NSURLRequest& request);
    void reload();
    void stopLoading();
    void goBack();
    void goForward();
    BOOL canGoBack() const;
    BOOL canGoForward() const;
    BOOL isLoading() const { return pending_ != 0; }
    // The request of the page shown now; null before the first page has loaded.
    std::optional<NSURLRequest> request() const;

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;

    // ---- the user-interface layer
    // What a click on a link does: `href` is resolved against the page shown and loaded.
    void followLink(const NSString& href);
    // The text of the page shown now.
    NSString pageText() const;
    uikit::WebWidget* webWidget() const;

  private:
    void startLoad(const NSURLRequest& request, std::optional<size_t> historyIndex);
    void performLoad(unsigned serial, const NSURLRequest& request,
                     std::optional<size_t> historyIndex);
    void fail(const NSString& error);
    UIWebViewDelegate* delegate_ = nullptr;
    std::vector<NSURLRequest> history_;
    size_t current_ = 0;    // index into history_ while it is not empty
    unsigned pending_ = 0;  // serial of the load under way, 0 when none
    unsigned serial_ = 0;
};
