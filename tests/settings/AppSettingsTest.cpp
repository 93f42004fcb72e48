// AppSettings: the defaults of an empty store, write-through with settingsDirty, the derived
// hour and minute values, and the one shared instance.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>

#include "AppSettings.h"
#include "TestPlatform.h"

using platform::probe::DefaultsChange;
using platform::probe::DefaultsSynchronized;
using platform::probe::DefaultsWritten;
using platform::testing::Record;
using platform::testing::TestPlatform;

namespace {

AppSettings& settings() { return *AppSettings::sharedSettings(); }

struct FileState {
    bool present = false;
    plist_type type = PLIST_NONE;
    long long value = 0;
};

FileState fileEntry(const TestPlatform& device, const std::string& key) {
    FileState state;
    auto file = device.readSettings();
    if (!file) return state;
    auto it = file->Find(key);
    if (it == file->End()) return state;
    state.present = true;
    state.type = it->second->GetType();
    if (auto n = platform::testing::settingNumber(*file, key)) state.value = n->integerValue();
    return state;
}

TEST(AppSettingsDefaults, EmptyOrMissingFileReadsAsTheDefaults) {
    for (const char* file : {"", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>"}) {
        TestPlatform device;
        if (*file) device.writeSettingsFile(file);
        EXPECT_FALSE(settings().schedule());
        EXPECT_EQ(settings().scheduleStart(), 540);
        EXPECT_EQ(settings().scheduleEnd(), 1020);
        EXPECT_EQ(settings().startHour(), 9);
        EXPECT_EQ(settings().startMinute(), 0);
        EXPECT_EQ(settings().endHour(), 17);
        EXPECT_EQ(settings().endMinute(), 0);
        EXPECT_FALSE(settings().notificationsEnabled());
        EXPECT_FALSE(settings().statusBarIconWarning());
        EXPECT_EQ(settings().batteryFloor(), 0);
        EXPECT_FALSE(settings().settingsDirty());
    }
}

TEST(AppSettingsDefaults, DefaultsAreNeverWrittenButAnExplicitValueIs) {
    TestPlatform device;
    settings().setSchedule(YES);  // a write of the whole store
    EXPECT_FALSE(fileEntry(device, kScheduleStartPrefKey).present);
    EXPECT_FALSE(fileEntry(device, kScheduleEndPrefKey).present);
    settings().setScheduleStart(540);
    const FileState start = fileEntry(device, kScheduleStartPrefKey);
    EXPECT_TRUE(start.present);
    EXPECT_EQ(start.value, 540);
}

struct DerivedCase {
    int minutes;
    int hour;
    int minute;
};
// Test names show the case, not its bytes.
void PrintTo(const DerivedCase& c, std::ostream* os) { *os << c.minutes; }

class AppSettingsDerived : public ::testing::TestWithParam<DerivedCase> {};

TEST_P(AppSettingsDerived, HourAndMinuteTruncateTowardZeroAndNothingIsClamped) {
    TestPlatform device;
    settings().setScheduleStart(GetParam().minutes);
    settings().setScheduleEnd(GetParam().minutes);
    EXPECT_EQ(settings().scheduleStart(), GetParam().minutes);
    EXPECT_EQ(settings().startHour(), GetParam().hour);
    EXPECT_EQ(settings().startMinute(), GetParam().minute);
    EXPECT_EQ(settings().endHour(), GetParam().hour);
    EXPECT_EQ(settings().endMinute(), GetParam().minute);
    device.reloadUserDefaults();  // what a new process reads back
    EXPECT_EQ(settings().scheduleEnd(), GetParam().minutes);
}

INSTANTIATE_TEST_SUITE_P(Table, AppSettingsDerived,
                         ::testing::Values(DerivedCase{0, 0, 0}, DerivedCase{1439, 23, 59},
                                           DerivedCase{1500, 25, 0}, DerivedCase{61, 1, 1},
                                           DerivedCase{-61, -1, -1}, DerivedCase{-1, 0, -1}));

// Watches settingsDirty at every call the setters make into the store.
class DirtyWatchingPlatform : public TestPlatform {
  public:
    // A store call and whether the settings were dirty when it was made.
    using Seen = std::pair<Record, bool>;
    DirtyWatchingPlatform() {
        AppSettings::sharedSettings();  // registered before watching
        observeRecords([this](const Record& record) {
            if (std::holds_alternative<DefaultsWritten>(record) ||
                std::holds_alternative<DefaultsSynchronized>(record))
                seen.emplace_back(record, AppSettings::sharedSettings()->settingsDirty());
        });
    }
    std::vector<Seen> seen;
};

struct SetterCase {
    const char* name;
    std::function<void()> set;
    const char* key;
    plist_type storedType;
    long long storedValue;
    DefaultsWritten write;
};
// Test names show the case, not its bytes.
void PrintTo(const SetterCase& c, std::ostream* os) { *os << c.name; }

class AppSettingsSetters : public ::testing::TestWithParam<SetterCase> {};

TEST_P(AppSettingsSetters, WriteThroughWhileDirtyThenFlushedAndClean) {
    DirtyWatchingPlatform device;
    GetParam().set();
    const std::vector<DirtyWatchingPlatform::Seen> expected{{GetParam().write, true},
                                                            {DefaultsSynchronized{}, true}};
    EXPECT_EQ(device.seen, expected);
    EXPECT_FALSE(settings().settingsDirty());
    const FileState stored = fileEntry(device, GetParam().key);
    EXPECT_TRUE(stored.present);
    EXPECT_EQ(stored.type, GetParam().storedType);
    EXPECT_EQ(stored.value, GetParam().storedValue);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AppSettingsSetters,
    ::testing::Values(SetterCase{"Schedule",
                                 [] { settings().setSchedule(YES); },
                                 "Schedule",
                                 PLIST_BOOLEAN,
                                 1,
                                 {DefaultsChange::object, "Schedule"}},
                      SetterCase{"ScheduleStart",
                                 [] { settings().setScheduleStart(1320); },
                                 "ScheduleStart",
                                 PLIST_UINT,
                                 1320,
                                 {DefaultsChange::object, "ScheduleStart"}},
                      SetterCase{"ScheduleEnd",
                                 [] { settings().setScheduleEnd(360); },
                                 "ScheduleEnd",
                                 PLIST_UINT,
                                 360,
                                 {DefaultsChange::object, "ScheduleEnd"}},
                      SetterCase{"NotificationsEnabled",
                                 [] { settings().setNotificationsEnabled(YES); },
                                 "NotificationsEnabled",
                                 PLIST_BOOLEAN,
                                 1,
                                 {DefaultsChange::object, "NotificationsEnabled"}},
                      SetterCase{"StatusBarIconWarning",
                                 [] { settings().setStatusBarIconWarning(YES); },
                                 "StatusBarIconWarning",
                                 PLIST_BOOLEAN,
                                 1,
                                 {DefaultsChange::boolean, "StatusBarIconWarning"}},
                      SetterCase{"BatteryFloor",
                                 [] { settings().setBatteryFloor(20); },
                                 "BatteryFloor",
                                 PLIST_UINT,
                                 20,
                                 {DefaultsChange::object, "BatteryFloor"}},
                      SetterCase{"ScheduleOff",
                                 [] { settings().setSchedule(NO); },
                                 "Schedule",
                                 PLIST_BOOLEAN,
                                 0,
                                 {DefaultsChange::object, "Schedule"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct FloorCase {
    int stored;
    int read;
};
class AppSettingsBatteryFloor : public ::testing::TestWithParam<FloorCase> {};

TEST_P(AppSettingsBatteryFloor, ReadsAsOffOutsideZeroToAHundred) {
    TestPlatform device;
    settings().setBatteryFloor(GetParam().stored);
    EXPECT_EQ(fileEntry(device, kBatteryFloorPrefKey).value, GetParam().stored);  // kept as given
    device.reloadUserDefaults();
    EXPECT_EQ(settings().batteryFloor(), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Table, AppSettingsBatteryFloor,
                         ::testing::Values(FloorCase{0, 0}, FloorCase{1, 1}, FloorCase{20, 20},
                                           FloorCase{100, 100}, FloorCase{101, 0}, FloorCase{-1, 0},
                                           FloorCase{INT_MIN, 0}, FloorCase{INT_MAX, 0}));

TEST(AppSettingsSync, FailedFlushIsUnnoticedAndStillCleans) {
    TestPlatform device;
    // A folder where the file belongs: the atomic replacement cannot rename over it.
    std::filesystem::create_directories(device.hostPathOf(device.settingsDevicePath()));
    settings().setSettingsDirty(YES);
    EXPECT_TRUE(settings().settingsDirty());
    settings().setScheduleStart(600);
    EXPECT_FALSE(settings().settingsDirty());
    EXPECT_EQ(settings().scheduleStart(), 600);  // the process still sees its own change
}

TEST(AppSettingsSync, SyncFlushesTheWholeStoreAndCleans) {
    TestPlatform device;
    NSUserDefaults::standardUserDefaults().setBoolForKey(YES, kSchedulePrefKey);
    settings().setSettingsDirty(YES);
    settings().sync();
    EXPECT_FALSE(settings().settingsDirty());
    EXPECT_TRUE(fileEntry(device, kSchedulePrefKey).present);
}

TEST(AppSettingsGetters, AskTheStoreAtEveryCall) {
    TestPlatform device;
    EXPECT_FALSE(settings().schedule());
    NSUserDefaults::standardUserDefaults().setBoolForKey(YES, kSchedulePrefKey);
    NSUserDefaults::standardUserDefaults().setIntegerForKey(75, kScheduleStartPrefKey);
    EXPECT_TRUE(settings().schedule());
    EXPECT_EQ(settings().startHour(), 1);
    EXPECT_EQ(settings().startMinute(), 15);
}

TEST(AppSettingsGetters, ReadTheFileAnotherProcessWrote) {
    TestPlatform device;
    PList::Dictionary file;
    file.Set("Schedule", PList::Boolean(true));
    file.Set("ScheduleStart", PList::Integer(uint64_t{1320}));
    file.Set("ScheduleEnd", PList::Integer(uint64_t{360}));
    file.Set("NotificationsEnabled", PList::Boolean(true));
    file.Set("StatusBarIconWarning", PList::Boolean(true));
    device.writeSettings(file);
    device.reloadUserDefaults();
    EXPECT_TRUE(settings().schedule());
    EXPECT_EQ(settings().scheduleStart(), 1320);
    EXPECT_EQ(settings().scheduleEnd(), 360);
    EXPECT_EQ(settings().endHour(), 6);
    EXPECT_TRUE(settings().notificationsEnabled());
    EXPECT_TRUE(settings().statusBarIconWarning());
}

TEST(AppSettingsShared, TwiceIsTheSameInstanceAndRegistersOnce) {
    EXPECT_EXIT(
        {
            TestPlatform device;
            AppSettings* first = AppSettings::sharedSettings();
            AppSettings* second = AppSettings::sharedSettings();
            const bool ok = first && first == second &&
                            device.callsOf<platform::probe::DefaultsRegistered>() ==
                                std::vector<platform::probe::DefaultsRegistered>{{2}} &&
                            !first->settingsDirty();
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
