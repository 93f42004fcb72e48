#include "RootViewController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "AppSettings.h"
#include "BatteryFloorViewController.h"
#include "GuardConstants.h"
#include "GuardJournal.h"
#include "GuardStatusLine.h"
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

RootViewController::~RootViewController() = default;

NSInteger RootViewController::numberOfSectionsInTableView(UITableView*) {
    return preventSleepSwitch_ && preventSleepSwitch_->isOn() ? kStatusSection + 1 : 1;
}

NSInteger RootViewController::tableViewNumberOfRowsInSection(UITableView*, NSInteger section) {
    if (section == 0) return 1;
    if (section == kScheduleSection) return 2;
    // The floor's row only while the floor is on.
    if (section == kBatterySection) return batterySwitch_ && batterySwitch_->isOn() ? 2 : 1;
    if (section == kBatteryFooterSection || section == kStatusSection) return 1;
    return 0;
}

UITableViewCell* RootViewController::tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                                    const NSIndexPath& indexPath) {
    if (indexPath.section() == 0) return preventSleepCell_;
    if (indexPath.section() == kScheduleSection)
        return indexPath.row() == 0 ? scheduleCell_ : chooseScheduleCell_;
    if (indexPath.section() == kBatterySection)
        return indexPath.row() == 0 ? batteryCell_ : batteryFloorCell_;
    if (indexPath.section() == kBatteryFooterSection) return batteryFooterCell_;
    if (indexPath.section() == kStatusSection) return statusCell_;
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
    if (indexPath.section() == kScheduleSection) return indexPath.row() == 0 ? 44.0 : 70.0;
    if (indexPath.section() == kBatterySection) return 44.0;
    if (indexPath.section() == kBatteryFooterSection) return 40.0;
    if (indexPath.section() == kStatusSection) return statusRowHeight_;
    return 0.0;
}

void RootViewController::viewDidLoad() {
    UITableViewController::viewDidLoad();
    if (scheduleSwitch_)
        scheduleSwitch_->setOnAnimated(AppSettings::sharedSettings()->schedule(), NO);
    if (batterySwitch_)
        batterySwitch_->setOnAnimated(AppSettings::sharedSettings()->batteryFloor() > 0, NO);
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
    refreshBatteryLabels();
    refreshStatus();
    if (!statusTimer_) {
        // The run loop keeps the timer and may outlive the screen: the timer holds the screen
        // weakly and ends itself once the screen is gone.
        const std::weak_ptr<RootViewController*> screen = alive_;
        statusTimer_ = NSTimer::scheduledTimerWithTimeInterval(
            kStatusRefreshInterval,
            [screen](NSTimer* timer) {
                if (auto root = screen.lock())
                    (*root)->refreshStatus(timer);
                else
                    timer->invalidate();
            },
            nullptr, YES);
    }
}

void RootViewController::viewWillDisappear(BOOL animated) {
    UITableViewController::viewWillDisappear(animated);
    if (statusTimer_) statusTimer_->invalidate();
    statusTimer_ = nullptr;
}

void RootViewController::refreshStatus(NSTimer*) {
    if (!statusLabel_) return;
    AppSettings* settings = AppSettings::sharedSettings();
    GuardStatusInput input;
    input.schedule = settings->schedule();
    input.windowStart = settings->scheduleStart();
    input.windowEnd = settings->scheduleEnd();
    input.batteryFloor = settings->batteryFloor();
    UIDevice& device = UIDevice::currentDevice();
    device.setBatteryMonitoringEnabled(YES);
    if (const float level = device.batteryLevel(); level >= 0.0f)
        input.batteryLevel = static_cast<int>(std::lround(level * 100.0f));
    input.charging = device.batteryState() == UIDeviceBatteryStateCharging ||
                     device.batteryState() == UIDeviceBatteryStateFull;
    input.systemVersion = device.systemVersion();
    if (VigilantUsesLaunchd()) {
        // Worked out again only when the daemon has written the file since.
        std::optional<NSData> journal =
            NSData::dataWithContentsOfFile(GuardJournal::standardPath());
        if (journal != journalBytes_) {
            journalPeriods_ = GuardJournal::periodsIn(journal);
            journalBytes_ = std::move(journal);
        }
        input.periods = journalPeriods_;
    }
    NSString text;
    for (const NSString& line : guardStatusLines(input)) text += (text.empty() ? "" : "\n") + line;
    if (statusLabel_->text() == std::optional<NSString>(text)) return;
    statusLabel_->setText(text);
    // The row grows with its lines: an early end's reason takes a line or two more.
    const CGFloat height = statusRowHeightFor(*statusLabel_);
    if (height == statusRowHeight_) return;
    statusRowHeight_ = height;
    if (UITableView* table = tableView()) table->reloadData();
}

CGFloat RootViewController::statusRowHeightFor(const UILabel& label) {
    // On the phone a grouped table insets its cells by 10 points each side; the cell insets its
    // text by 10 more.
    constexpr CGFloat kTextInset = 40.0;
    constexpr CGFloat kBelowText = 8.0;
    const CGFloat width = (tableView() ? tableView()->frame().size.width : 320.0) - kTextInset;
    const CGSize text = label.sizeThatFits(CGSize{width, 10000.0});
    return std::max(kStatusRowMinimumHeight, std::ceil(text.height) + kBelowText);
}

NSString RootViewController::batteryFooterText(int percent) {
    return "Lets the phone sleep below " + BatteryFloorViewController::levelText(percent) +
           " unless it is charging.";
}

int RootViewController::shownBatteryFloor() const {
    const int stored = AppSettings::sharedSettings()->batteryFloor();
    return stored > 0 ? stored : kDefaultBatteryFloor;
}

void RootViewController::refreshBatteryLabels() {
    const int floor = shownBatteryFloor();
    if (batteryFloorLabel_)
        batteryFloorLabel_->setText(BatteryFloorViewController::levelText(floor));
    if (batteryFooterLabel_) batteryFooterLabel_->setText(batteryFooterText(floor));
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
    if (indexPath.section() == kBatterySection && indexPath.row() == 1) {
        openBatteryFloorPicker();
        return;
    }
    if (indexPath.section() != kScheduleSection || indexPath.row() != 1) return;
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

void RootViewController::openBatteryFloorPicker() {
    auto picker =
        std::make_unique<BatteryFloorViewController>("BatteryFloorViewController", nullptr);
    picker->setFloor(shownBatteryFloor());
    picker->setDelegate(this);
    if (UINavigationController* navigation = navigationController())
        navigation->pushViewControllerAnimated(std::move(picker), YES);
}

void RootViewController::batteryFloorViewControllerSave(BatteryFloorViewController* controller) {
    AppSettings::sharedSettings()->setBatteryFloor(controller->floor());
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
           UIConnectOutlet(name, object, "batteryCell", batteryCell_) ||
           UIConnectOutlet(name, object, "batterySwitch", batterySwitch_) ||
           UIConnectOutlet(name, object, "batteryFloorCell", batteryFloorCell_) ||
           UIConnectOutlet(name, object, "batteryFloorLabel", batteryFloorLabel_) ||
           UIConnectOutlet(name, object, "batteryFooterCell", batteryFooterCell_) ||
           UIConnectOutlet(name, object, "batteryFooterLabel", batteryFooterLabel_) ||
           UIConnectOutlet(name, object, "statusCell", statusCell_) ||
           UIConnectOutlet(name, object, "statusLabel", statusLabel_) ||
           UITableViewController::setOutletNamed(name, object);
}

UIAction RootViewController::actionNamed(const NSString& name) {
    using C = RootViewController;
    if (auto a = UIBindAction(name, "preventSleepSwitched", this, &C::preventSleepSwitched))
        return a;
    if (auto a = UIBindAction(name, "scheduleSwitched", this, &C::scheduleSwitched)) return a;
    if (auto a = UIBindAction(name, "batterySwitched", this, &C::batterySwitched)) return a;
    if (auto a = UIBindAction(name, "helpTapped", this, &C::helpTapped)) return a;
    return UITableViewController::actionNamed(name);
}
