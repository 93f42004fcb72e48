// The daemon on iPhone OS 3.1.3 with a damaged settings file or wake-request list: it keeps
// running and answering. A settings file it cannot read counts as no settings (the guard is on
// all day); values of the wrong type read as absent. A damaged wake-request list withdraws
// nothing it cannot read, and the wake-up is still booked. Nothing crashes: the daemon ends
// only by SIGTERM.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

#include "GuardDevice.h"
#include "GuardExpectations.h"

namespace {

using namespace guard_e2e;
using e2e::eventsNamed;

struct Setting {
    const char* key;
    const char* type;
    const char* value;
};

struct BadFiles {
    const char* name;
    std::vector<Setting> settings;            // written with the defaults tool first
    std::optional<std::string> settingsFile;  // then, if given, these bytes over the file
    std::optional<std::string> wakeList;
    bool guardOnAllDay;  // false: outside the window at 20:00, so a wake-up is booked
    std::vector<std::string> withdrawn;  // wake times of the guard's it can read and withdraws
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BadFiles& c, std::ostream* out) { *out << c.name; }

// 20:00, outside the default window of 09:00 to 17:00: the booking is for 09:00 tomorrow.
constexpr char kBootTime[] = "2010-01-04 20:00:00";
constexpr char kTomorrowAtNine[] = "2010-01-05T09:00:";

const std::vector<Setting> kDefaultWindowScheduled = {{"Schedule", "-bool", "true"}};

constexpr char kSoundSettings[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
    "<key>Schedule</key><true/><key>ScheduleStart</key><integer>540</integer>"
    "<key>ScheduleEnd</key><integer>1020</integer></dict></plist>\n";
constexpr char kSoundWakeList[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>wake</key>"
    "<array><dict><key>time</key><date>2010-01-03T09:00:00Z</date><key>scheduledby</key>"
    "<string>com.quillmoor.vigilantpro</string></dict></array></dict></plist>\n";

std::string firstHalf(const std::string& text) { return text.substr(0, text.size() / 2); }

std::vector<BadFiles> cases() {
    const std::string emptyFile;
    return {
        {"SettingsEmpty", {}, emptyFile, {}, true, {}},
        {"SettingsTruncated", {}, firstHalf(kSoundSettings), {}, true, {}},
        {"SettingsTruncatedBinary", {}, std::string("bplist00\xd3\x01\x02\x03", 12), {}, true, {}},
        {"SettingsNotAPlist", {}, std::string("Schedule = YES; {{{"), {}, true, {}},
        {"SettingsNotADictionary",
         {},
         std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><true/></array>"
                     "</plist>"),
         {},
         true,
         {}},
        // Text where the window's minutes belong reads as the default window.
        {"WindowOfWrongTypes",
         {{"Schedule", "-bool", "true"},
          {"ScheduleStart", "-string", "nine"},
          {"ScheduleEnd", "-string", "five"}},
         {},
         {},
         false,
         {}},
        // Text where the switch belongs reads as off: on all day, despite a window of 22:00 to
        // 06:00 that 20:00 lies outside.
        {"ScheduleOfWrongType",
         {{"Schedule", "-string", "true"},
          {"ScheduleStart", "-int", "1320"},
          {"ScheduleEnd", "-int", "360"}},
         {},
         {},
         true,
         {}},
        {"WakeListEmpty", kDefaultWindowScheduled, {}, emptyFile, false, {}},
        {"WakeListTruncated", kDefaultWindowScheduled, {}, firstHalf(kSoundWakeList), false, {}},
        {"WakeListNotAPlist", kDefaultWindowScheduled, {}, std::string("wake: soon"), false, {}},
        {"WakeListWithoutArray",
         kDefaultWindowScheduled,
         {},
         std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>wake</key>"
                     "<string>soon</string></dict></plist>"),
         false,
         {}},
        {"WakeListNotADictionary",
         kDefaultWindowScheduled,
         {},
         std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><dict>"
                     "<key>time</key><date>2010-01-03T09:00:00Z</date><key>scheduledby</key>"
                     "<string>com.quillmoor.vigilantpro</string></dict></array></plist>"),
         false,
         {}},
        // Entries of every wrong shape around one sound entry of the guard's: only that one is
        // withdrawn.
        {"WakeEntriesOfWrongTypes",
         kDefaultWindowScheduled,
         {},
         std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>wake</key><array>"
                     "<string>com.quillmoor.vigilantpro</string>"
                     "<dict><key>time</key><string>2010-01-03T08:00:00Z</string>"
                     "<key>scheduledby</key><string>com.quillmoor.vigilantpro</string></dict>"
                     "<dict><key>time</key><date>2010-01-03T07:00:00Z</date>"
                     "<key>scheduledby</key><integer>7</integer></dict>"
                     "<dict><key>time</key><date>2010-01-03T06:00:00Z</date></dict>"
                     "<dict><key>scheduledby</key><string>com.quillmoor.vigilantpro</string></dict>"
                     "<dict><key>time</key><date>2010-01-03T09:00:00Z</date>"
                     "<key>scheduledby</key><string>com.quillmoor.vigilantpro</string></dict>"
                     "</array></dict></plist>"),
         false,
         {"2010-01-03T09:00:00"}},
    };
}

class BadFilesOnDevice : public testing::TestWithParam<BadFiles> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(device.installPackage()) << device.lastOutput();
        for (const Setting& s : GetParam().settings)
            ASSERT_TRUE(device.writeSetting(s.key, s.type, s.value)) << device.lastOutput();
        if (GetParam().settingsFile) device.writeFile(kSettingsFile, *GetParam().settingsFile);
        if (GetParam().wakeList) device.writeFile(kWakeListFile, *GetParam().wakeList);
        ASSERT_TRUE(device.boot(kBootTime, 10, 0)) << device.lastOutput();
    }
    void TearDown() override { device.finish(); }

    GuardDevice device{"3.1.3"};
};

TEST_P(BadFilesOnDevice, TheDaemonKeepsRunningAndAnswering) {
    const BadFiles& c = GetParam();
    ASSERT_EQ(device.load().status, 0) << device.lastOutput();
    const long long pid = device.waitForDaemon(1);
    ASSERT_GT(pid, 0) << "the daemon never started";
    // What start-up ends with: the item shown, or the wake-up booked.
    ASSERT_TRUE(device.waitFor([&](const Events& e) {
        return !(c.guardOnAllDay ? eventsWith<wire::events::StatusBarShow>(e, "pid", pid)
                                 : eventsWith<wire::events::WakeBooked>(e, "pid", pid))
                    .empty();
    })) << "start-up never finished";

    // Still there, and answering a sleep question as its state says.
    const e2e::CommandResult probe = device.session().simctl({"power", device.root(), "can-sleep"});
    ASSERT_EQ(probe.status, 0) << probe.output;
    const Events events = device.events();
    const Events questions = sleepQuestions(events);
    ASSERT_EQ(questions.size(), 1u);
    expectAnswered(events, questions, pid, c.guardOnAllDay ? "cancel" : "allow");
    EXPECT_TRUE(eventsNamed<wire::events::JobEnded>(events).empty())
        << "the daemon ended by itself";
    EXPECT_TRUE(e2e::processAlive(static_cast<pid_t>(pid)));

    const Events booked = eventsWith<wire::events::WakeBooked>(events, "pid", pid);
    std::vector<std::string> withdrawn;
    for (const Json& w : eventsWith<wire::events::WakeWithdrawn>(events, "pid", pid))
        withdrawn.push_back(w.value("wakeTime", ""));
    EXPECT_EQ(withdrawn, c.withdrawn);
    EXPECT_TRUE(eventsWith<wire::events::WakeNotFound>(events, "pid", pid).empty());
    if (c.guardOnAllDay) {
        EXPECT_TRUE(booked.empty()) << Json(booked).dump();
        EXPECT_EQ(device.status()["statusBar"], Json::array({kItem}));
    } else {
        ASSERT_EQ(booked.size(), 1u) << Json(booked).dump();
        EXPECT_EQ(booked[0].value("scheduledby", ""), kLabel);
        EXPECT_EQ(booked[0].value("wakeTime", "").rfind(kTomorrowAtNine, 0), 0u)
            << booked[0].dump();
        EXPECT_TRUE(itemChanges(events).empty()) << Json(itemChanges(events)).dump();
    }

    // Only SIGTERM ends it: with the item shown by the handler that hides it (status 0),
    // without it the default way.
    ASSERT_EQ(device.unload().status, 0) << device.lastOutput();
    const Json ended = device.waitForEnd(pid);
    ASSERT_TRUE(ended.is_object());
    if (c.guardOnAllDay)
        EXPECT_EQ(ended.value("status", -1), 0) << ended.dump();
    else
        EXPECT_EQ(ended.value("signal", -1), 15) << ended.dump();
}

INSTANTIATE_TEST_SUITE_P(Cases, BadFilesOnDevice, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<BadFiles>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
