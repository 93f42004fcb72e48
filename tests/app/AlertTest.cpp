// The alert helpers: the title falls back to the display name, then the process name; the
// buttons depend on the delegate alone; the alerts stay up and stack.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>

#include "AppHarness.h"
#include "KTAlert.h"

namespace {
using apptest::AppHarness;

std::vector<NSString> buttonsOf(UIAlertView* alert) {
    std::vector<NSString> titles;
    for (NSInteger i = 0; i < alert->numberOfButtons(); ++i)
        titles.push_back(alert->buttonTitleAtIndex(i));
    return titles;
}

class ChoiceSpy : public UIAlertViewDelegate {
  public:
    void alertViewClickedButtonAtIndex(UIAlertView*, NSInteger index) override {
        chosen.push_back(index);
    }
    std::vector<NSInteger> chosen;
};

// The localized dictionary of the main bundle, replaced for one test.
void setLocalizedInfo(NSDictionary localized) {
    const NSDictionary info = *NSBundle::mainBundle().infoDictionary();
    NSBundle::setMainBundle(NSBundle::mainBundle().bundlePath(), info, std::move(localized));
}

TEST(Alerts, TheMessageAloneTakesTheDisplayNameAndOneOK) {
    AppHarness app;
    app.launch();
    KTAlertWithMessage("m");
    const auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), std::optional<NSString>("Vigilant"));
    EXPECT_EQ(alerts[0]->message(), std::optional<NSString>("m"));
    EXPECT_EQ(buttonsOf(alerts[0]), std::vector<NSString>{"OK"});
    EXPECT_EQ(alerts[0]->cancelButtonIndex(), 0);
    EXPECT_EQ(alerts[0]->delegate(), nullptr);
    EXPECT_TRUE(alerts[0]->isVisible());  // the call came back with the alert still up
}

TEST(Alerts, WithoutADisplayNameTheProcessNameIsTheTitle) {
    AppHarness::Options options;
    options.displayName = std::nullopt;  // no localized dictionary at all
    AppHarness app(options);
    app.launch();
    KTAlertWithMessage("m");
    ASSERT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(UIAlertView::visibleAlerts()[0]->title(), std::optional<NSString>("VigilantPro"));

    NSDictionary localized;  // a dictionary without the key
    localized.setObjectForKey("Other", "CFBundleName");
    setLocalizedInfo(localized);
    KTAlertWithMessage("n");
    ASSERT_EQ(UIAlertView::visibleAlerts().size(), 2u);
    EXPECT_EQ(UIAlertView::visibleAlerts()[1]->title(), std::optional<NSString>("VigilantPro"));
}

TEST(Alerts, TheBundleIsAskedAtEveryAlert) {
    AppHarness app;
    app.launch();
    KTAlertWithMessage("first");
    NSDictionary localized;
    localized.setObjectForKey("Renamed", "CFBundleDisplayName");
    setLocalizedInfo(localized);
    KTAlertWithMessage("second");
    const auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0]->title(), std::optional<NSString>("Vigilant"));
    EXPECT_EQ(alerts[1]->title(), std::optional<NSString>("Renamed"));
}

TEST(Alerts, AnEmptyTitleIsATitle) {
    AppHarness app;
    app.launch();
    KTAlertWithTitleAndMessage("", "m");
    ASSERT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(UIAlertView::visibleAlerts()[0]->title(), std::optional<NSString>(""));
}

TEST(Alerts, ADelegateGetsCancelAndOKAndHearsTheChoice) {
    AppHarness app;
    app.launch();
    ChoiceSpy spy;
    KTAlertWithTitleAndMessageAndDelegate("t", "m", &spy);
    KTAlertWithTitleAndMessageAndDelegate("t", "m", nullptr);
    auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(buttonsOf(alerts[0]), (std::vector<NSString>{"Cancel", "OK"}));
    EXPECT_EQ(alerts[0]->delegate(), &spy);
    EXPECT_EQ(buttonsOf(alerts[1]), std::vector<NSString>{"OK"});
    EXPECT_EQ(alerts[1]->delegate(), nullptr);

    // The user taps the newest alert's OK, then the delegate's OK (index 1).
    auto* plainOK = alerts[1]->widget()->findChild<QAbstractButton*>("alertButton0");
    ASSERT_NE(plainOK, nullptr);
    plainOK->click();
    app.spin();
    ASSERT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    EXPECT_TRUE(spy.chosen.empty());
    auto* delegateOK =
        UIAlertView::visibleAlerts()[0]->widget()->findChild<QAbstractButton*>("alertButton1");
    ASSERT_NE(delegateOK, nullptr);
    delegateOK->click();
    app.spin();
    EXPECT_EQ(spy.chosen, std::vector<NSInteger>{1});
    EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
}

TEST(Alerts, ALongMessageIsShownWhole) {
    AppHarness app;
    app.launch();
    KTAlertWithMessage(
        "A reboot is required for the status bar icon to appear after the first installation.");
    ASSERT_EQ(UIAlertView::visibleAlerts().size(), 1u);
    QWidget* alert = UIAlertView::visibleAlerts()[0]->widget();
    auto* message = alert->findChild<QLabel*>("alertMessage");
    ASSERT_NE(message, nullptr);
    app.spin();
    EXPECT_GE(message->height(), message->heightForWidth(message->width()));
    EXPECT_GT(message->heightForWidth(message->width()), message->fontMetrics().height());
    for (const char* name : {"alertTitle", "alertMessage", "alertButton0"}) {
        SCOPED_TRACE(name);
        auto* part = alert->findChild<QWidget*>(name);
        ASSERT_NE(part, nullptr);
        const QRect inBox = part->geometry();
        EXPECT_TRUE(part->parentWidget()->rect().contains(inBox));
    }
}

TEST(Alerts, TwoCallsStackTwoAlertsTheNewestOnTop) {
    AppHarness app;
    app.launch();
    KTAlertWithMessage("one");
    KTAlertWithMessage("two");
    const auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0]->message(), std::optional<NSString>("one"));
    EXPECT_EQ(alerts[1]->message(), std::optional<NSString>("two"));
    QWidget* window = app.window()->widget();
    const auto children = window->children();
    EXPECT_GT(children.indexOf(alerts[1]->widget()), children.indexOf(alerts[0]->widget()));
    EXPECT_EQ(alerts[0]->widget()->parentWidget(), window);
}

}  // namespace
