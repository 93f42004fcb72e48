// The help browser: opened modally over the main screen on "help.html", with Done on the left,
// the spinner on the right while a page loads, and back and forward following the history.
#include <gtest/gtest.h>

#include <QPointer>
#include <filesystem>

#include "AppHarness.h"
#include "HXWebViewController.h"

namespace {
using apptest::AppHarness;

const char* const kHelpURL = "file:///Applications/VigilantPro.app/help.html";

class HelpBrowser : public testing::Test {
  protected:
    void SetUp() override { app.launch(); }
    HXWebViewController* open() {
        app.tap(app.root()->navigationItem().rightBarButtonItem());
        auto* stack = dynamic_cast<UINavigationController*>(app.modalScreen());
        return stack ? dynamic_cast<HXWebViewController*>(stack->topViewController()) : nullptr;
    }
    static bool settle(HXWebViewController* browser) {
        return AppHarness::spinUntil([browser] { return !browser->webView()->isLoading(); });
    }
    static std::string url(HXWebViewController* browser) {
        auto request = browser->webView()->request();
        return request ? request->URL().absoluteString() : std::string();
    }
    AppHarness app;
};

TEST_F(HelpBrowser, OpensTitledWithDoneAndAHiddenSpinnerOnTheHelpPage) {
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(browser->navigationItem().title(), std::optional<NSString>("Vigilant Help"));
    UIBarButtonItem* done = browser->navigationItem().leftBarButtonItem();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->title(), std::optional<NSString>("Done"));
    EXPECT_EQ(done->style(), UIBarButtonItemStyleDone);
    EXPECT_EQ(done->target(), browser);
    EXPECT_EQ(done->action(), "doneTapped");
    UIActivityIndicatorView* spinner = browser->spinner();
    ASSERT_NE(spinner, nullptr);
    EXPECT_EQ(spinner->activityIndicatorViewStyle(), UIActivityIndicatorViewStyleWhite);
    EXPECT_TRUE(spinner->hidesWhenStopped());
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_EQ(url(browser), kHelpURL);
    EXPECT_NE(browser->webView()->pageText().find("Keeping your phone awake"), std::string::npos);
    EXPECT_FALSE(browser->backButton()->isEnabled());
    EXPECT_FALSE(browser->forwardButton()->isEnabled());
    EXPECT_EQ(browser->webView()->delegate(), browser);
    EXPECT_EQ(app.device().callsOf<platform::probe::WebRequestLoaded>(),
              std::vector<platform::probe::WebRequestLoaded>{{kHelpURL}});
    EXPECT_EQ(app.device().callsOf<platform::probe::ModalPresented>(),
              std::vector<platform::probe::ModalPresented>{{true}});
}

TEST_F(HelpBrowser, FollowingALinkThenGoingBackMovesTheButtons) {
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    browser->webView()->followLink("ios4.html");
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(url(browser), "file:///Applications/VigilantPro.app/ios4.html");
    EXPECT_TRUE(browser->backButton()->isEnabled());
    EXPECT_FALSE(browser->forwardButton()->isEnabled());

    app.tap(browser->backButton());
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(url(browser), kHelpURL);
    EXPECT_FALSE(browser->backButton()->isEnabled());
    EXPECT_TRUE(browser->forwardButton()->isEnabled());

    app.tap(browser->forwardButton());
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(url(browser), "file:///Applications/VigilantPro.app/ios4.html");
    EXPECT_TRUE(browser->backButton()->isEnabled());
    EXPECT_FALSE(browser->forwardButton()->isEnabled());
}

TEST_F(HelpBrowser, EveryLinkOfTheHelpPageLeadsToAPage) {
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    for (const char* page : {"schedule.html", "ios4.html"}) {
        SCOPED_TRACE(page);
        browser->webView()->followLink(page);
        ASSERT_TRUE(settle(browser));
        EXPECT_EQ(url(browser), std::string("file:///Applications/VigilantPro.app/") + page);
        EXPECT_FALSE(browser->spinner()->isAnimating());
        browser->webView()->goBack();
        ASSERT_TRUE(settle(browser));
    }
}

TEST_F(HelpBrowser, AFailedLoadLeavesTheSpinnerTurningAndTheButtonsAsTheyWere) {
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    browser->webView()->followLink("missing.html");
    ASSERT_TRUE(settle(browser));
    EXPECT_TRUE(browser->spinner()->isAnimating());
    EXPECT_FALSE(browser->spinner()->isHidden());
    EXPECT_FALSE(browser->backButton()->isEnabled());
    EXPECT_EQ(url(browser), kHelpURL);  // the page shown stays
    // A later load that finishes stops it again.
    browser->webView()->followLink("schedule.html");
    ASSERT_TRUE(settle(browser));
    EXPECT_FALSE(browser->spinner()->isAnimating());
    EXPECT_TRUE(browser->backButton()->isEnabled());
}

TEST_F(HelpBrowser, DoneClosesAndTheNextOpeningStartsAfresh) {
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    browser->webView()->followLink("schedule.html");
    ASSERT_TRUE(settle(browser));
    QPointer<QWidget> webWidget = browser->webView()->widget();
    app.tap(browser->navigationItem().leftBarButtonItem());
    EXPECT_TRUE(AppHarness::spinUntil([&] { return webWidget.isNull(); }));
    EXPECT_EQ(app.modalScreen(), nullptr);
    EXPECT_EQ(app.topScreen(), app.root());

    HXWebViewController* again = open();
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(settle(again));
    EXPECT_EQ(url(again), kHelpURL);
    EXPECT_FALSE(again->webView()->canGoBack());
    EXPECT_FALSE(again->backButton()->isEnabled());
}

TEST_F(HelpBrowser, OpenInSafariHandsOnThePageOrTheSetAddress) {
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    app.tap(browser->openInSafariButton());
    EXPECT_EQ(app.device().openedURLs(), std::vector<std::string>{kHelpURL});
    browser->setOpenInSafariURL(NSURL::URLWithString("http://example.com/vigilant"));
    app.tap(browser->openInSafariButton());
    EXPECT_EQ(app.device().openedURLs(),
              (std::vector<std::string>{kHelpURL, "http://example.com/vigilant"}));
    EXPECT_NE(app.modalScreen(), nullptr);  // the browser stays open
}

TEST_F(HelpBrowser, AMissingHelpPageShowsNothingAndHandsOnNothing) {
    std::filesystem::remove(app.device().hostPathOf("/Applications/VigilantPro.app/help.html"));
    HXWebViewController* browser = open();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(settle(browser));
    EXPECT_EQ(browser->webView()->request(), std::nullopt);
    EXPECT_TRUE(browser->spinner()->isAnimating());
    EXPECT_FALSE(browser->backButton()->isEnabled());
    app.tap(browser->openInSafariButton());
    EXPECT_TRUE(app.device().openedURLs().empty());
    app.tap(browser->navigationItem().leftBarButtonItem());  // Done still closes it
    EXPECT_TRUE(AppHarness::spinUntil([&] { return app.modalScreen() == nullptr; }));
}

}  // namespace
