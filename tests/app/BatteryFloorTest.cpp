// The battery floor on the main screen: its section (switch, the floor's row while it is on, the
// footnote), switching it (stored, then the guard restarted), the floor picker (10 to 50 %,
// saved or cancelled), and the refusal on iOS 4.
#include <gtest/gtest.h>

#include "AppHarness.h"
#include "AppSettings.h"
#include "BatteryFloorViewController.h"

namespace {
using apptest::AppHarness;

const char* const kListingWithGuard = "PID\tStatus\tLabel\n-\t0\tcom.quillmoor.vigilantpro\n";

std::optional<NSString> footnote(AppHarness& app) {
    return app.root()->batteryFooterLabel()->text();
}
std::optional<NSString> text(const char* t) { return NSString(t); }

std::optional<long long> floorAtCall(AppHarness& app, size_t call) {
    auto settings = app.settingsAtCall(call);
    return settings ? platform::testing::settingInteger(*settings, "BatteryFloor") : std::nullopt;
}

class BatteryFloorScreen : public testing::Test {
  protected:
    void launchGuarded(int storedFloor = 0) {
        if (storedFloor) AppSettings::sharedSettings()->setBatteryFloor(storedFloor);
        app.setListing(kListingWithGuard);
        app.launch();
        ASSERT_EQ(app.root()->tableView()->numberOfSections(), 5);
    }
    NSInteger batteryRows() { return app.root()->tableView()->numberOfRowsInSection(2); }
    BatteryFloorViewController* openPicker() {
        app.tapRow(app.root()->tableView(), 2, 1);
        return dynamic_cast<BatteryFloorViewController*>(app.topScreen());
    }
    AppHarness app;
};

TEST_F(BatteryFloorScreen, OffShowsTheSwitchAloneAndTheFootnoteAtTwentyPercent) {
    launchGuarded();
    EXPECT_FALSE(app.root()->batterySwitch()->isOn());
    EXPECT_EQ(batteryRows(), 1);
    EXPECT_EQ(
        app.root()->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRowInSection(0, 3)),
        app.root()->batteryFooterCell());
    EXPECT_EQ(footnote(app), text("Lets the phone sleep below 20% unless it is charging."));
}

TEST_F(BatteryFloorScreen, AStoredFloorShowsAtLoad) {
    launchGuarded(30);
    EXPECT_TRUE(app.root()->batterySwitch()->isOn());
    EXPECT_EQ(batteryRows(), 2);
    EXPECT_EQ(app.root()->batteryFloorLabel()->text(), text("30%"));
    EXPECT_EQ(footnote(app), text("Lets the phone sleep below 30% unless it is charging."));
}

TEST_F(BatteryFloorScreen, SwitchingOnStoresTwentyPercentThenRestartsAndOffStoresZero) {
    launchGuarded();
    app.flip(app.root()->batterySwitch());
    EXPECT_EQ(app.settingInt("BatteryFloor"), std::optional<long long>(20));
    EXPECT_EQ(batteryRows(), 2);
    EXPECT_EQ(app.root()->batteryFloorLabel()->text(), text("20%"));
    auto calls = app.launchctlCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[1].starts_with("unload -w "));
    EXPECT_TRUE(calls[2].starts_with("load -w "));
    EXPECT_EQ(floorAtCall(app, 1), std::optional<long long>(20));  // on disk before the restart

    app.flip(app.root()->batterySwitch());
    EXPECT_EQ(app.settingInt("BatteryFloor"), std::optional<long long>(0));
    EXPECT_EQ(batteryRows(), 1);
    EXPECT_EQ(app.launchctlCalls().size(), 5u);
}

TEST_F(BatteryFloorScreen, ThePickerOffersTenToFiftySavesTheChosenLevelOrCancels) {
    launchGuarded(20);
    BatteryFloorViewController* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->navigationItem().title(), text("Spare Battery"));
    UIPickerView* wheel = picker->floorPickerView();
    ASSERT_EQ(picker->pickerViewNumberOfRowsInComponent(wheel, 0), 5);
    std::vector<NSString> titles;
    for (NSInteger row = 0; row < 5; ++row)
        titles.push_back(picker->pickerViewTitleForRowForComponent(wheel, row, 0).value_or(""));
    EXPECT_EQ(titles, (std::vector<NSString>{"10%", "20%", "30%", "40%", "50%"}));
    EXPECT_EQ(wheel->selectedRowInComponent(0), 1);

    wheel->userSelectRowInComponent(3, 0);
    const size_t before = app.launchctlCalls().size();
    app.tap(picker->navigationItem().rightBarButtonItem());
    EXPECT_EQ(app.settingInt("BatteryFloor"), std::optional<long long>(40));
    EXPECT_EQ(app.launchctlCalls().size(), before + 2);  // unloaded and loaded again
    EXPECT_EQ(app.topScreen(), app.root());
    EXPECT_EQ(app.root()->batteryFloorLabel()->text(), text("40%"));
    EXPECT_EQ(footnote(app), text("Lets the phone sleep below 40% unless it is charging."));

    picker = openPicker();  // cancel: nothing stored, nothing restarted
    ASSERT_NE(picker, nullptr);
    wheel = picker->floorPickerView();
    EXPECT_EQ(wheel->selectedRowInComponent(0), 3);
    wheel->userSelectRowInComponent(4, 0);
    app.tap(picker->navigationItem().leftBarButtonItem());
    EXPECT_EQ(app.settingInt("BatteryFloor"), std::optional<long long>(40));
    EXPECT_EQ(app.launchctlCalls().size(), before + 2);
    EXPECT_EQ(app.topScreen(), app.root());
}

TEST(BatteryFloorOnIOS4, SwitchingOnIsRefusedAndNothingIsStored) {
    AppHarness::Options options;
    options.systemVersion = "4.0";
    AppHarness app(options);
    AppSettings::sharedSettings()->setNotificationsEnabled(YES);
    app.launch();
    ASSERT_EQ(app.root()->tableView()->numberOfSections(), 5);
    app.flip(app.root()->batterySwitch());
    const auto alerts = UIAlertView::visibleAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), text("Vigilant Pro"));
    EXPECT_EQ(alerts[0]->message(),
              text("Sorry sparing the battery isn't compatible with iOS 4.0 yet: the keep-alive "
                   "notification cannot be paused."));
    EXPECT_FALSE(app.root()->batterySwitch()->isOn());
    EXPECT_EQ(app.settingInt("BatteryFloor"), std::nullopt);
    EXPECT_EQ(app.root()->tableView()->numberOfRowsInSection(2), 1);
    // The keep-alive is left as it was.
    EXPECT_EQ(app.device().countCalls<platform::testing::NotificationsCancelled>(), 0u);
}

}  // namespace
