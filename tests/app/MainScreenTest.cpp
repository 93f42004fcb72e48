// The main screen's table, labels and footer, in both guard states.
#include <gtest/gtest.h>
#include <link.h>

#include <string>

#include "AppHarness.h"
#include "AppSettings.h"
#include "GuardJournal.h"
#include "TableWidget.h"

namespace {
using apptest::AppHarness;

NSIndexPath path(NSUInteger section, NSUInteger row) {
    return NSIndexPath::indexPathForRowInSection(row, section);
}

const char* kListingWithGuard =
    "PID\tStatus\tLabel\n312\t0\tcom.quillmoor.vigilantpro\n-\t0\tcom.apple.syslogd\n";

TEST(MainScreen, GuardOffAtLoadShowsOneSectionOfOneRow) {
    AppHarness app;
    app.launch();
    RootViewController* root = app.root();
    ASSERT_NE(root, nullptr);
    UITableView* table = root->tableView();
    ASSERT_NE(table, nullptr);
    EXPECT_FALSE(root->preventSleepSwitch()->isOn());
    EXPECT_EQ(root->numberOfSectionsInTableView(table), 1);
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(table->numberOfRowsInSection(0), 1);
    EXPECT_EQ(root->tableViewHeightForRowAtIndexPath(table, path(0, 0)), 44.0);
    EXPECT_EQ(table->cellForRowAtIndexPath(path(0, 0)), root->preventSleepCell());
    EXPECT_EQ(table->rectForRowAtIndexPath(path(0, 0)).size.height, 44.0);
}

TEST(MainScreen, GuardOnAtLoadShowsTheScheduleAndBatterySections) {
    AppHarness app;
    app.setListing(kListingWithGuard);
    app.launch();
    RootViewController* root = app.root();
    UITableView* table = root->tableView();
    EXPECT_TRUE(root->preventSleepSwitch()->isOn());
    ASSERT_EQ(table->numberOfSections(), 5);
    EXPECT_EQ(table->numberOfRowsInSection(0), 1);
    EXPECT_EQ(table->numberOfRowsInSection(1), 2);
    EXPECT_EQ(table->numberOfRowsInSection(2), 1);  // the floor is off: its switch alone
    EXPECT_EQ(table->numberOfRowsInSection(3), 1);
    EXPECT_EQ(table->numberOfRowsInSection(4), 1);
    struct Row {
        NSIndexPath at;
        UITableViewCell* cell;
        CGFloat height;
    };
    const Row rows[] = {
        {path(0, 0), root->preventSleepCell(), 44.0},   {path(1, 0), root->scheduleCell(), 44.0},
        {path(1, 1), root->chooseScheduleCell(), 70.0}, {path(2, 0), root->batteryCell(), 44.0},
        {path(3, 0), root->batteryFooterCell(), 40.0},  {path(4, 0), root->statusCell(), 60.0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.at.section() << "," << row.at.row());
        EXPECT_EQ(root->tableViewCellForRowAtIndexPath(table, row.at), row.cell);
        EXPECT_EQ(table->cellForRowAtIndexPath(row.at), row.cell);
        EXPECT_EQ(root->tableViewHeightForRowAtIndexPath(table, row.at), row.height);
        EXPECT_EQ(table->rectForRowAtIndexPath(row.at).size.height, row.height);
    }
    EXPECT_EQ(app.launchctlCalls(), std::vector<std::string>{"list"});
}

TEST(MainScreen, AnyOtherSectionHasNoRowsAndAPlainCell) {
    AppHarness app;
    app.launch();
    RootViewController* root = app.root();
    UITableView* table = root->tableView();
    EXPECT_EQ(root->tableViewNumberOfRowsInSection(table, 5), 0);
    EXPECT_EQ(root->tableViewHeightForRowAtIndexPath(table, path(5, 0)), 0.0);
    UITableViewCell* made = root->tableViewCellForRowAtIndexPath(table, path(5, 0));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->reuseIdentifier(), std::optional<NSString>("Cell"));
    EXPECT_EQ(made->style(), UITableViewCellStyleDefault);
    EXPECT_NE(made, root->preventSleepCell());
    // Once the table holds a cell of that identifier, that one is handed out again.
    table->tableWidget()->enqueue(made);
    EXPECT_EQ(root->tableViewCellForRowAtIndexPath(table, path(5, 0)), made);
    EXPECT_EQ(root->tableViewNumberOfRowsInSection(table, 7), 0);
}

// The status line is said when the screen appears and again within the refresh interval: a
// night the daemon journals meanwhile shows without reopening the app.
TEST(MainScreen, TheStatusLineFollowsTheJournalWithinTheRefreshInterval) {
    AppHarness app;
    app.setListing(kListingWithGuard);
    app.launch();
    UILabel* status = app.root()->statusLabel();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), std::optional<NSString>("Guarding"));
    // Said again at once when the window is switched on (noon, inside 09:00 to 17:00).
    app.flip(app.root()->scheduleSwitch());
    EXPECT_EQ(status->text(), std::optional<NSString>("Guarding until 17:00"));
    app.flip(app.root()->scheduleSwitch());
    EXPECT_EQ(status->text(), std::optional<NSString>("Guarding"));

    GuardJournal journal;
    journal.begin(NSDate::date(), GuardStart::SwitchedOn, 80);
    journal.sleepRefused();
    journal.end(NSDate::date().dateByAddingTimeInterval(1800), GuardEnd::SwitchedOff, 75);
    app.device().advance(kStatusRefreshInterval - 1);
    EXPECT_EQ(status->text(), std::optional<NSString>("Guarding"));
    app.device().advance(2);
    EXPECT_EQ(
        status->text(),
        std::optional<NSString>(
            "Guarding\nLast night: 12:00\u201312:30, 1 sleep refused, battery 80% \u2192 75%"));
}

// A night the floor cut short says why on lines of its own: the row grows to hold every line.
TEST(MainScreen, TheStatusRowHoldsEveryLineOfAnEarlyEnd) {
    AppHarness app;
    app.setListing(kListingWithGuard);
    AppSettings::sharedSettings()->setSchedule(YES);  // 09:00 to 17:00; the harness's noon
    GuardJournal journal;
    const NSDate now = NSDate::date();
    journal.begin(now.dateByAddingTimeInterval(-3 * 3600), GuardStart::WindowStart, 92);
    journal.end(now.dateByAddingTimeInterval(-3600), GuardEnd::BatteryFloor, 19);
    app.launch();
    UILabel* status = app.root()->statusLabel();
    ASSERT_NE(status, nullptr);
    ASSERT_NE(status->text().value_or("").find("battery floor"), std::string::npos)
        << status->text().value_or("");
    const CGRect row = app.root()->tableView()->rectForRowAtIndexPath(path(kStatusSection, 0));
    const CGSize text = status->sizeThatFits(CGSize{status->frame().size.width, 10000.0});
    EXPECT_GT(text.height, 60.0) << "fewer lines than an early end takes";
    EXPECT_GE(row.size.height, text.height);
}

struct LabelCase {
    std::optional<int> start, end;
    const char* startText;
    const char* endText;
};

class MainScreenLabels : public testing::TestWithParam<LabelCase> {};

TEST_P(MainScreenLabels, ShowTheStoredWindow) {
    AppHarness app;
    const LabelCase& c = GetParam();
    if (c.start) AppSettings::sharedSettings()->setScheduleStart(*c.start);
    if (c.end) AppSettings::sharedSettings()->setScheduleEnd(*c.end);
    app.launch();
    EXPECT_EQ(app.root()->startLabel()->text(), std::optional<NSString>(c.startText));
    EXPECT_EQ(app.root()->endLabel()->text(), std::optional<NSString>(c.endText));
}

INSTANTIATE_TEST_SUITE_P(Window, MainScreenLabels,
                         testing::Values(LabelCase{std::nullopt, std::nullopt, "09:00", "17:00"},
                                         LabelCase{5, 1439, "00:05", "23:59"},
                                         LabelCase{0, 60, "00:00", "01:00"},
                                         LabelCase{1380, 420, "23:00", "07:00"}));

TEST(MainScreen, ScheduleSwitchFollowsTheStoredSetting) {
    for (bool stored : {false, true}) {
        AppHarness app;
        AppSettings::sharedSettings()->setSchedule(stored);
        app.launch();
        EXPECT_EQ(app.root()->scheduleSwitch()->isOn(), stored);
    }
}

TEST(MainScreen, FooterShowsTheVersionAcrossTheScreen) {
    AppHarness app;
    app.launch();
    UILabel* footer = app.root()->footerLabel();
    EXPECT_EQ(footer->text(), std::optional<NSString>("v2.1"));
    EXPECT_EQ(app.root()->tableView()->tableFooterView(), footer);
    // updateFooter keeps the origin, fits the height to the text and sets the width to 320.
    footer->setFrame(CGRectMake(7, 9, 40, 3));
    app.root()->updateFooter();
    const CGRect frame = footer->frame();
    EXPECT_EQ(frame.origin.x, 7);
    EXPECT_EQ(frame.origin.y, 9);
    EXPECT_EQ(frame.size.width, 320.0);
    EXPECT_EQ(frame.size.height, footer->sizeThatFits(CGSize{}).height);
    EXPECT_GT(frame.size.height, 3);
}

TEST(MainScreen, FooterOfABundleWithoutVersionIsTheBareLetter) {
    AppHarness::Options options;
    options.bundleVersion = std::nullopt;
    AppHarness app(options);
    app.launch();
    EXPECT_EQ(app.root()->footerLabel()->text(), std::optional<NSString>("v"));
}

// Loading the interface files must not load Qt Designer's plugins: the files use none, and
// loading them (Qt Quick's among them) once doubled the time to the first frame.
TEST(MainScreen, LoadingTheInterfaceLoadsNoDesignerPlugin) {
    AppHarness app;
    app.launch();
    ASSERT_NE(app.root(), nullptr);
    std::vector<std::string> designerPlugins;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* found) {
            const std::string name = info->dlpi_name ? info->dlpi_name : "";
            if (name.find("/plugins/designer/") != std::string::npos)
                static_cast<std::vector<std::string>*>(found)->push_back(name);
            return 0;
        },
        &designerPlugins);
    EXPECT_EQ(designerPlugins, std::vector<std::string>{});
}

}  // namespace
