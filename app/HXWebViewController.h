// A small page viewer shown modally: a web view with back and forward, a button that hands
// the page to the system's browser, a spinner while a page loads and Done to close it.
#pragma once

#include <UIKit/UIKit.h>

#include <optional>

class HXWebViewController : public UIViewController, public UIWebViewDelegate {
  public:
    explicit HXWebViewController(std::optional<NSString> nibName = std::nullopt,
                                 NSBundle* bundle = nullptr);

    UIWebView* webView() const { return webView_; }
    void setWebView(UIWebView* webView) { webView_ = webView; }
    UIBarButtonItem* backButton() const { return backButton_; }
    void setBackButton(UIBarButtonItem* button) { backButton_ = button; }
    UIBarButtonItem* forwardButton() const { return forwardButton_; }
    void setForwardButton(UIBarButtonItem* button) { forwardButton_ = button; }
    UIBarButtonItem* openInSafariButton() const { return openInSafariButton_; }
    void setOpenInSafariButton(UIBarButtonItem* button) { openInSafariButton_ = button; }
    // When set, handed to the system's browser instead of the page shown.
    const std::optional<NSURL>& openInSafariURL() const { return openInSafariURL_; }
    void setOpenInSafariURL(const std::optional<NSURL>& url) { openInSafariURL_ = url; }

    void viewDidLoad() override;
    void didReceiveMemoryWarning() override { UIViewController::didReceiveMemoryWarning(); }
    void webViewDidStartLoad(UIWebView* webView) override;
    void webViewDidFinishLoad(UIWebView* webView) override;

    void backTapped(UIResponder* sender);
    void forwardTapped(UIResponder* sender);
    void openInSafari(UIResponder* sender);
    void doneTapped(UIResponder* sender);

    // The busy indicator at the right of the navigation bar.
    UIActivityIndicatorView* spinner();

    BOOL setOutletNamed(const NSString& name, UIResponder* object) override;
    UIAction actionNamed(const NSString& name) override;

  private:
    void updateButtons();
    UIWebView* webView_ = nullptr;
    UIBarButtonItem* backButton_ = nullptr;
    UIBarButtonItem* forwardButton_ = nullptr;
    UIBarButtonItem* openInSafariButton_ = nullptr;
    std::optional<NSURL> openInSafariURL_;
};
