#include "RootViewController.h"

#include <cstdio>
#include <memory>

#include "AppSettings.h"
#include "HXWebViewController.h"
#include "TimeSelectViewController.h"

namespace {
const UIClassRegistration<RootViewController> kRegistration("RootViewController");

NSString clockText(int hour, int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", hour, minute);
    return text;
}
}  // namespace

RootViewController::RootViewController(std::optional<NSString> nibName, NSBundle* bundle)
    : UITableViewController(std::move(nibName), bundle) {}

NSInteger RootViewController::numberOfSectionsInTableView(UITableView*) {
    return preventSleepSwitch_ && preventSleepSwitch_->isOn() ? 2 : 1;
}

NSInteger RootViewController::tableViewNumberOfRowsInSection(UITableView*, NSInteger section) {
    if (section == 0) return 1;
    if (section == 1) return 2;
    return 0;
}

UITableViewCell* RootViewController::tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                                    const NSIndexPath& indexPath) {
    if (indexPath.section() == 0) return preventSleepCell_;
    if (indexPath.section() == 1) return indexPath.row() == 0 ? scheduleCell_ : chooseScheduleCell_;
    // The table never asks for other sections; answer with a plain cell all the same.
    static const NSString kIdentifier = "Cell";
    UITableViewCell* cell =
        tableView ? tableView->dequeueReusableCellWithIdentifier(kIdentifier) : nullptr;
    if (!cell) cell = UIAutorelease(std::make_unique<UITableViewCell>(CGRectZero, kIdentifier));
    return cell;
}

CGFloat RootViewController::tableViewHeightForRowAtIndexPath(UITableView*,
                                                             const NSIndexPath& indexPath) {
    if (indexPath.section() == 0) return 44.0;
    if (indexPath.section() == 1) return indexPath.row() == 0 ? 44.0 : 70.0;
    return 0.0;
}

void RootViewController::viewDidLoad() {
    UITableViewController::viewDidLoad();
    if (scheduleSwitch_)
        scheduleSwitch_->setOnAnimated(AppSettings::sharedSettings()->schedule(), NO);
    // The guard's real state, before the table first asks for its sections.
    const BOOL running = isDaemonRunning();
    if (preventSleepSwitch_) preventSleepSwitch_->setOn(running);
    if (UITableView* table = tableView()) table->setTableFooterView(footerLabel_);
    updateFooter();
}

void RootViewController::viewWillAppear(BOOL animated) {
    UITableViewController::viewWillAppear(animated);
    AppSettings* settings = AppSettings::sharedSettings();
    if (startLabel_)
        startLabel_->setText(clockText(settings->startHour(), settings->startMinute()));
    if (endLabel_) endLabel_->setText(clockText(settings->endHour(), settings->endMinute()));
}

void RootViewController::updateFooter() {
    if (!footerLabel_) return;
    const auto version = NSBundle::mainBundle().objectForInfoDictionaryKey("CFBundleVersion");
    // A bundle without a version shows the bare "v" rather than inventing one.
    NSString text = "v";
    text += version.value_or("");
    footerLabel_->setText(text);
    footerLabel_->sizeToFit();
    CGRect frame = footerLabel_->frame();
    frame.size.width = 320.0;
    footerLabel_->setFrame(frame);
}

void RootViewController::tableViewDidSelectRowAtIndexPath(UITableView*,
                                                          const NSIndexPath& indexPath) {
    if (indexPath.section() != 1 || indexPath.row() != 1) return;
    auto picker = std::make_unique<TimeSelectViewController>("TimeSelectViewController", nullptr);
    AppSettings* settings = AppSettings::sharedSettings();
    picker->setStartHour(settings->startHour());
    picker->setStartMinute(settings->startMinute());
    picker->setEndHour(settings->endHour());
    picker->setEndMinute(settings->endMinute());
    picker->setDelegate(this);
    if (UINavigationController* navigation = navigationController())
        navigation->pushViewControllerAnimated(std::move(picker), YES);
}

void RootViewController::timeSelectViewControllerSave(TimeSelectViewController* controller) {
    AppSettings* settings = AppSettings::sharedSettings();
    settings->setScheduleStart(controller->startHour() * 60 + controller->startMinute());
    settings->setScheduleEnd(controller->endHour() * 60 + controller->endMinute());
    restartDaemon();
}

void RootViewController::helpTapped(UIResponder*) {
    auto browser = std::make_unique<HXWebViewController>("HXWebViewController", nullptr);
    HXWebViewController* help = browser.get();
    auto navigation = std::make_unique<UINavigationController>(std::move(browser));
    // Loading both views now gives the browser its web view before the page is requested.
    navigation->view()->addSubview(help->view());
    help->navigationItem().setTitle("Vigilant Help");
    UINavigationController* presenter = navigationController();
    if (!presenter) return;
    presenter->presentModalViewControllerAnimated(std::move(navigation), YES);
    const NSURL url = NSURL::fileURLWithPath(NSBundle::mainBundle().resourcePath() + "/help.html");
    if (UIWebView* web = help->webView()) web->loadRequest(NSURLRequest::requestWithURL(url));
}

BOOL RootViewController::setOutletNamed(const NSString& name, UIResponder* object) {
    return UIConnectOutlet(name, object, "preventSleepCell", preventSleepCell_) ||
           UIConnectOutlet(name, object, "preventSleepSwitch", preventSleepSwitch_) ||
           UIConnectOutlet(name, object, "scheduleCell", scheduleCell_) ||
           UIConnectOutlet(name, object, "chooseScheduleCell", chooseScheduleCell_) ||
           UIConnectOutlet(name, object, "scheduleSwitch", scheduleSwitch_) ||
           UIConnectOutlet(name, object, "startLabel", startLabel_) ||
           UIConnectOutlet(name, object, "endLabel", endLabel_) ||
           UIConnectOutlet(name, object, "footerLabel", footerLabel_) ||
           UITableViewController::setOutletNamed(name, object);
}

UIAction RootViewController::actionNamed(const NSString& name) {
    using C = RootViewController;
    if (auto a = UIBindAction(name, "preventSleepSwitched", this, &C::preventSleepSwitched))
        return a;
    if (auto a = UIBindAction(name, "scheduleSwitched", this, &C::scheduleSwitched)) return a;
    if (auto a = UIBindAction(name, "helpTapped", this, &C::helpTapped)) return a;
    return UITableViewController::actionNamed(name);
}
