// The time picker: opened from the window row, primed from the settings, edited through its
// wheels and rows, saved (both values stored in order, then a restart) or cancelled.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QListWidget>
#include <QScrollBar>
#include <QWheelEvent>

#include "AppHarness.h"
#include "AppSettings.h"
#include "TimeSelectViewController.h"

namespace {
using apptest::AppHarness;
namespace probe = platform::probe;

// The keys stored with setObjectForKey, in order.
std::vector<std::string> objectStores(AppHarness& app) {
    std::vector<std::string> keys;
    for (const probe::DefaultsWritten& write : app.device().callsOf<probe::DefaultsWritten>())
        if (write.change == probe::DefaultsChange::object) keys.push_back(write.key);
    return keys;
}

const char* const kListingWithGuard = "PID\tStatus\tLabel\n-\t0\tcom.quillmoor.vigilantpro\n";

std::optional<long long> intIn(const PList::Dictionary* dict, const std::string& key) {
    return dict ? platform::testing::settingInteger(*dict, key) : std::nullopt;
}

// The main screen with the guard on, so the window row is there.
class TimePicker : public testing::Test {
  protected:
    void launchWith(std::optional<int> start, std::optional<int> end) {
        if (start) AppSettings::sharedSettings()->setScheduleStart(*start);
        if (end) AppSettings::sharedSettings()->setScheduleEnd(*end);
        app.setListing(kListingWithGuard);
        app.launch();
        ASSERT_EQ(app.root()->tableView()->numberOfSections(), 5);
    }
    TimeSelectViewController* open() {
        app.tapRow(app.root()->tableView(), 1, 1);
        return dynamic_cast<TimeSelectViewController*>(app.topScreen());
    }
    static std::vector<NSInteger> wheels(TimeSelectViewController* picker) {
        return {picker->bedPickerView()->selectedRowInComponent(0),
                picker->bedPickerView()->selectedRowInComponent(1)};
    }
    static std::pair<std::optional<NSString>, std::optional<NSString>> labels(
        TimeSelectViewController* picker) {
        return {picker->minLabel()->text(), picker->maxLabel()->text()};
    }
    using Labels = std::pair<std::optional<NSString>, std::optional<NSString>>;
    AppHarness app;
};

TEST_F(TimePicker, OpensFromTheWindowRowWithItsBarAndTheDefaults) {
    launchWith(std::nullopt, std::nullopt);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->delegate(), app.root());
    EXPECT_EQ(picker->navigationItem().title(), std::optional<NSString>("Start & End"));
    ASSERT_NE(picker->navigationItem().leftBarButtonItem(), nullptr);
    ASSERT_NE(picker->navigationItem().rightBarButtonItem(), nullptr);
    EXPECT_EQ(picker->navigationItem().leftBarButtonItem()->action(), "cancelTapped");
    EXPECT_EQ(picker->navigationItem().rightBarButtonItem()->action(), "saveTapped");
    EXPECT_EQ(picker->bedTableView()->indexPathForSelectedRow(),
              std::optional<NSIndexPath>(NSIndexPath::indexPathForRowInSection(0, 0)));
    EXPECT_EQ(wheels(picker), (std::vector<NSInteger>{9, 0}));
    EXPECT_EQ(labels(picker), Labels("09:00", "17:00"));
    EXPECT_EQ(app.device().countCalls<probe::ControllerPushed>(), 1u);
}

TEST_F(TimePicker, OtherRowsOpenNothingAndTheScheduleSwitchDoesNotMatter) {
    launchWith(std::nullopt, std::nullopt);
    ASSERT_FALSE(app.root()->scheduleSwitch()->isOn());
    app.tapRow(app.root()->tableView(), 0, 0);
    app.tapRow(app.root()->tableView(), 1, 0);
    EXPECT_EQ(app.topScreen(), app.root());
    EXPECT_NE(open(), nullptr);  // the schedule is off and the picker opens all the same
}

TEST_F(TimePicker, AWindowAcrossMidnightOpensOnTheStart) {
    launchWith(1380, 420);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(wheels(picker), (std::vector<NSInteger>{23, 0}));
    EXPECT_EQ(labels(picker), Labels("23:00", "07:00"));

    app.device().clearRecords();
    app.tapRow(picker->bedTableView(), 0, 1);  // the end row: the wheels follow, animated
    EXPECT_EQ(wheels(picker), (std::vector<NSInteger>{7, 0}));
    EXPECT_EQ(app.device().callsOf<probe::PickerRowSelected>(),
              (std::vector<probe::PickerRowSelected>{{7, 0, true}, {0, 1, true}}));
    picker->bedPickerView()->userSelectRowInComponent(6, 0);
    EXPECT_EQ(picker->endHour(), 6);
    EXPECT_EQ(picker->startHour(), 23);
    EXPECT_EQ(labels(picker), Labels("23:00", "06:00"));

    app.tapRow(picker->bedTableView(), 0, 0);
    EXPECT_EQ(wheels(picker), (std::vector<NSInteger>{23, 0}));
    picker->bedPickerView()->userSelectRowInComponent(5, 1);
    EXPECT_EQ(labels(picker), Labels("23:05", "06:00"));
}

TEST_F(TimePicker, SaveStoresStartThenEndThenRestartsThenPops) {
    launchWith(1380, 420);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    picker->bedPickerView()->userSelectRowInComponent(5, 1);
    app.tapRow(picker->bedTableView(), 0, 1);
    picker->bedPickerView()->userSelectRowInComponent(6, 0);
    app.device().clearRecords();
    app.tap(picker->navigationItem().rightBarButtonItem());

    EXPECT_EQ(objectStores(app), (std::vector<std::string>{"ScheduleStart", "ScheduleEnd"}));
    EXPECT_EQ(app.settingInt("ScheduleStart"), std::optional<long long>(1385));
    EXPECT_EQ(app.settingInt("ScheduleEnd"), std::optional<long long>(360));
    const auto calls = app.launchctlCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[1].starts_with("unload -w "));
    EXPECT_TRUE(calls[2].starts_with("load -w "));
    // Both values were on disk when the guard was stopped and started again.
    EXPECT_EQ(intIn(app.settingsAtCall(1).get(), "ScheduleStart"), std::optional<long long>(1385));
    EXPECT_EQ(intIn(app.settingsAtCall(1).get(), "ScheduleEnd"), std::optional<long long>(360));
    EXPECT_EQ(app.topScreen(), app.root());
    EXPECT_EQ(app.root()->startLabel()->text(), std::optional<NSString>("23:05"));
    EXPECT_EQ(app.root()->endLabel()->text(), std::optional<NSString>("06:00"));
}

TEST_F(TimePicker, SaveWithoutChangesStillWritesBothAndRestarts) {
    launchWith(std::nullopt, std::nullopt);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    app.tap(picker->navigationItem().rightBarButtonItem());
    EXPECT_EQ(app.settingInt("ScheduleStart"), std::optional<long long>(540));
    EXPECT_EQ(app.settingInt("ScheduleEnd"), std::optional<long long>(1020));
    EXPECT_EQ(app.launchctlCalls().size(), 3u);
}

TEST_F(TimePicker, EqualTimesAreSavedAsTheyAre) {
    launchWith(600, 600);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    app.tap(picker->navigationItem().rightBarButtonItem());
    EXPECT_EQ(app.settingInt("ScheduleStart"), std::optional<long long>(600));
    EXPECT_EQ(app.settingInt("ScheduleEnd"), std::optional<long long>(600));
}

TEST_F(TimePicker, CancelStoresNothingAndReopensOnTheStoredValues) {
    launchWith(std::nullopt, std::nullopt);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    picker->bedPickerView()->userSelectRowInComponent(3, 0);
    picker->bedPickerView()->userSelectRowInComponent(30, 1);
    EXPECT_EQ(labels(picker), Labels("03:30", "17:00"));
    app.device().clearRecords();
    app.tap(picker->navigationItem().leftBarButtonItem());
    EXPECT_EQ(app.topScreen(), app.root());
    EXPECT_EQ(objectStores(app).size(), 0u);
    EXPECT_EQ(app.settingInt("ScheduleStart"), std::nullopt);
    EXPECT_EQ(app.launchctlCalls().size(), 1u);  // only the listing at load
    EXPECT_EQ(app.root()->startLabel()->text(), std::optional<NSString>("09:00"));

    TimeSelectViewController* again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(labels(again), Labels("09:00", "17:00"));
    EXPECT_EQ(wheels(again), (std::vector<NSInteger>{9, 0}));
}

TEST_F(TimePicker, WheelsAndTableAnswerAsTheScreenDefinesThem) {
    launchWith(std::nullopt, std::nullopt);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    UIPickerView* wheelsView = picker->bedPickerView();
    EXPECT_EQ(picker->numberOfComponentsInPickerView(wheelsView), 2);
    EXPECT_EQ(picker->pickerViewNumberOfRowsInComponent(wheelsView, 0), 24);
    EXPECT_EQ(picker->pickerViewNumberOfRowsInComponent(wheelsView, 1), 60);
    EXPECT_EQ(picker->pickerViewNumberOfRowsInComponent(wheelsView, 2), 60);
    for (NSInteger component : {0, 1, 2})
        EXPECT_EQ(picker->pickerViewWidthForComponent(wheelsView, component), 60.0);
    EXPECT_EQ(picker->pickerViewTitleForRowForComponent(wheelsView, 7, 0),
              std::optional<NSString>("07"));
    EXPECT_EQ(picker->pickerViewTitleForRowForComponent(wheelsView, 0, 1),
              std::optional<NSString>("00"));
    EXPECT_EQ(picker->pickerViewTitleForRowForComponent(wheelsView, 59, 1),
              std::optional<NSString>("59"));
    EXPECT_EQ(picker->pickerViewTitleForRowForComponent(wheelsView, 3, 2), std::nullopt);
    EXPECT_EQ(wheelsView->titleForRowInComponent(23, 0), std::optional<NSString>("23"));

    UITableView* table = picker->bedTableView();
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(table->numberOfRowsInSection(0), 2);
    const auto row = [](NSUInteger r) { return NSIndexPath::indexPathForRowInSection(r, 0); };
    EXPECT_EQ(picker->tableViewCellForRowAtIndexPath(table, row(0)), picker->minCell());
    EXPECT_EQ(picker->tableViewCellForRowAtIndexPath(table, row(1)), picker->maxCell());
    EXPECT_EQ(picker->tableViewCellForRowAtIndexPath(table, row(2)), nullptr);
    EXPECT_EQ(picker->tableViewHeightForRowAtIndexPath(table, row(1)), 44.0);
    // The grouped rows span the table, inset by the group margins.
    EXPECT_EQ(table->rectForRowAtIndexPath(row(0)).size.width, table->frame().size.width - 20);
    EXPECT_EQ(picker->minCell()->frame().size.width, table->frame().size.width - 20);
    EXPECT_GE(picker->minLabel()->frame().size.width,
              picker->minLabel()->sizeThatFits(CGSize{}).width);
    // A wheel that is not there changes nothing but still refreshes the labels.
    picker->pickerViewDidSelectRowInComponent(wheelsView, 4, 2);
    EXPECT_EQ(labels(picker), Labels("09:00", "17:00"));
}

TEST_F(TimePicker, WithoutADelegateSaveOnlyCloses) {
    launchWith(std::nullopt, std::nullopt);
    auto screen = std::make_unique<TimeSelectViewController>("TimeSelectViewController");
    TimeSelectViewController* picker = screen.get();
    picker->setStartHour(4);
    app.navigation()->pushViewControllerAnimated(std::move(screen), YES);
    app.spin();
    ASSERT_EQ(app.topScreen(), picker);
    app.tap(picker->navigationItem().rightBarButtonItem());
    EXPECT_EQ(app.topScreen(), app.root());
    EXPECT_EQ(app.settingInt("ScheduleStart"), std::nullopt);
    EXPECT_EQ(app.launchctlCalls().size(), 1u);
}

TEST_F(TimePicker, StoredValuesOutsideTheDayOpenOnTheNearestTime) {
    launchWith(1500, -30);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(labels(picker), Labels("23:00", "00:00"));
    EXPECT_EQ(wheels(picker), (std::vector<NSInteger>{23, 0}));
}

}  // namespace
namespace {

// The platform's picker: a band 216 points high across the width at the bottom of the screen,
// the 60-point wheels side by side in its middle, one selection bar across both at their
// middle row; the rows' labels show the cell's own background.
TEST_F(TimePicker, ThePickerIsABandAtTheBottomWithCentredWheelsAndOneBar) {
    launchWith(std::nullopt, std::nullopt);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    AppHarness::spin();
    QWidget* band = picker->bedPickerView()->widget();
    QWidget* screen = app.window()->widget();
    const QRect onScreen(band->mapTo(screen, QPoint(0, 0)), band->size());
    EXPECT_EQ(onScreen, QRect(0, screen->height() - 216, screen->width(), 216));

    auto* hours = band->findChild<QListWidget*>(QStringLiteral("wheel0"));
    auto* minutes = band->findChild<QListWidget*>(QStringLiteral("wheel1"));
    auto* bar = band->findChild<QWidget*>(QStringLiteral("selectionBar"));
    ASSERT_TRUE(hours && minutes && bar);
    EXPECT_EQ(hours->width(), 60);
    EXPECT_EQ(minutes->width(), 60);
    EXPECT_EQ(minutes->geometry().left(), hours->geometry().right() + 1);
    EXPECT_EQ(hours->x(), band->width() - (minutes->x() + minutes->width())) << "centred";
    EXPECT_EQ(hours->y() + hours->height() / 2, band->height() / 2);
    EXPECT_LE(bar->geometry().left(), hours->geometry().left());
    EXPECT_GE(bar->geometry().right(), minutes->geometry().right());
    EXPECT_EQ(bar->y() + bar->height() / 2, band->height() / 2);
    EXPECT_TRUE(bar->testAttribute(Qt::WA_TransparentForMouseEvents)) << "presses reach the wheels";

    // A label's corner shows what is behind it: the white cell, not a box of its own.
    UILabel* label = picker->maxLabel();
    const QImage cell = picker->maxCell()->widget()->grab().toImage();
    const QPoint corner = label->widget()->mapTo(picker->maxCell()->widget(), QPoint(1, 1));
    EXPECT_EQ(cell.pixelColor(corner), QColor(Qt::white));
}

// A turn of the mouse wheel scrolls the hours, one row a notch (so that every hour can be
// reached with it); once still, the wheel settles on a row under the bar and the picker takes
// it as the user's choice.
TEST_F(TimePicker, AWheelTurnSettlesOnARowAndChoosesIt) {
    launchWith(std::nullopt, std::nullopt);
    TimeSelectViewController* picker = open();
    ASSERT_NE(picker, nullptr);
    AppHarness::spin();
    auto* hours =
        picker->bedPickerView()->widget()->findChild<QListWidget*>(QStringLiteral("wheel0"));
    ASSERT_NE(hours, nullptr);
    ASSERT_EQ(wheels(picker)[0], 9);
    for (int i = 0; i < 3; ++i) {
        QWheelEvent turn(QPointF(30, 100), hours->viewport()->mapToGlobal(QPointF(30, 100)),
                         QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                         false);
        QCoreApplication::sendEvent(hours->viewport(), &turn);
    }
    ASSERT_TRUE(AppHarness::spinUntil([&] {
        const NSInteger hour = wheels(picker)[0];
        return hour > 9 && hours->verticalScrollBar()->value() == hour * 44;
    })) << "settled on "
        << wheels(picker)[0] << " at " << hours->verticalScrollBar()->value();
    const NSInteger hour = wheels(picker)[0];
    EXPECT_EQ(hour, 12) << "three notches towards the user from 09";
    EXPECT_EQ(picker->minLabel()->text(),
              std::optional<NSString>(
                  QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0')).toStdString()));
}

}  // namespace
