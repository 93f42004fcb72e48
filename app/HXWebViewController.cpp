#include "HXWebViewController.h"

#include <memory>

namespace {
const UIClassRegistration<HXWebViewController> kRegistration("HXWebViewController");
}

HXWebViewController::HXWebViewController(std::optional<NSString> nibName, NSBundle* bundle)
    : UIViewController(std::move(nibName), bundle) {}

void HXWebViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    if (webView_) webView_->setDelegate(this);
    if (forwardButton_) forwardButton_->setEnabled(NO);
    if (backButton_) backButton_->setEnabled(NO);
    navigationItem().setLeftBarButtonItem(
        std::make_unique<UIBarButtonItem>(UIBarButtonSystemItemDone, this, "doneTapped"));
    auto spinner = std::make_unique<UIActivityIndicatorView>(UIActivityIndicatorViewStyleWhite);
    spinner->setHidesWhenStopped(YES);
    navigationItem().setRightBarButtonItem(std::make_unique<UIBarButtonItem>(std::move(spinner)));
}

UIActivityIndicatorView* HXWebViewController::spinner() {
    UIBarButtonItem* item = navigationItem().rightBarButtonItem();
    return item ? dynamic_cast<UIActivityIndicatorView*>(item->customView()) : nullptr;
}

void HXWebViewController::updateButtons() {
    if (!webView_) return;
    if (backButton_) backButton_->setEnabled(webView_->canGoBack());
    if (forwardButton_) forwardButton_->setEnabled(webView_->canGoForward());
}

void HXWebViewController::webViewDidStartLoad(UIWebView*) {
    updateButtons();
    if (UIActivityIndicatorView* s = spinner()) s->startAnimating();
}

void HXWebViewController::webViewDidFinishLoad(UIWebView*) {
    updateButtons();
    if (UIActivityIndicatorView* s = spinner()) s->stopAnimating();
}

void HXWebViewController::backTapped(UIResponder*) {
    if (webView_) webView_->goBack();
}

void HXWebViewController::forwardTapped(UIResponder*) {
    if (webView_) webView_->goForward();
}

void HXWebViewController::openInSafari(UIResponder*) {
    std::optional<NSURL> url = openInSafariURL_;
    if (!url && webView_)
        if (auto request = webView_->request()) url = request->URL();
    if (url) UIApplication::sharedApplication()->openURL(url->absoluteString());
}

void HXWebViewController::doneTapped(UIResponder*) { dismissModalViewControllerAnimated(YES); }

BOOL HXWebViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "webView", webView_) ||
           UIConnectOutlet(name, object, "backButton", backButton_) ||
           UIConnectOutlet(name, object, "forwardButton", forwardButton_) ||
           UIConnectOutlet(name, object, "openInSafariButton", openInSafariButton_) ||
           UIViewController::setOutletNamed(name, object);
}

UIAction HXWebViewController::actionNamed(const NSString& name) {
    using C = HXWebViewController;
    if (auto a = UIBindAction(name, "backTapped", this, &C::backTapped)) return a;
    if (auto a = UIBindAction(name, "forwardTapped", this, &C::forwardTapped)) return a;
    if (auto a = UIBindAction(name, "openInSafari", this, &C::openInSafari)) return a;
    if (auto a = UIBindAction(name, "doneTapped", this, &C::doneTapped)) return a;
    return UIViewController::actionNamed(name);
}
