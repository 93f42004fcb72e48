// SpringBoard with VigilantSubstrate installed: the keep-alive alerts never reach the screen,
// every other alert does, once.
#include <filesystem>

#include "KeepAliveMarker.h"
#include "SpringBoardFixture.h"

namespace fs = std::filesystem;

namespace {

class WithExtension : public SpringBoardTest {
  protected:
    void prepareDevice() override {
        const fs::path folder = root + "/Library/MobileSubstrate/DynamicLibraries";
        fs::create_directories(folder);
        const fs::path built(VIGILANT_SUBSTRATE_PATH);
        fs::copy_file(built, folder / built.filename());
        fs::copy_file(fs::path(built).replace_extension(".plist"),
                      folder / "VigilantSubstrate.plist");
    }
    size_t linesEqualTo(const std::string& text) const {
        const std::vector<std::string> lines = backend.logLines();
        return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
    }
};

TEST_F(WithExtension, StartsOncePerSpringBoardStartWithItsTwoLines) {
    EXPECT_EQ(linesEqualTo("VigilantSubstrate: starting up..."), 1u);
    EXPECT_EQ(linesEqualTo("VigilantSubstrate: successfully started."), 1u);
    const std::vector<std::string> lines = backend.logLines();
    const auto first = std::find(lines.begin(), lines.end(), "VigilantSubstrate: starting up...");
    EXPECT_EQ(*(first + 1), "VigilantSubstrate: successfully started.");
}

TEST_F(WithExtension, DropsEveryKeepAliveAlertButLetsTheNotificationsFire) {
    ASSERT_TRUE(
        ok(send(std::move(Request("notify")
                              .text("app", "com.quillmoor.vigilantpro")
                              .real("fireIn", 60)
                              .text("repeat", "minute")
                              .text("body", "VigilantSubstrate is required to hide this message.")
                              .text("launchImage", kKeepAliveLaunchImage)))));
    runFor(5 * 60 + 1);
    EXPECT_EQ(events.named("notification-fired").size(), 5u);
    EXPECT_TRUE(events.named("alert-shown").empty());
    EXPECT_FALSE(fs::exists(files.alerts));
}

TEST_F(WithExtension, ShowsEveryOtherAlertOnce) {
    send(std::move(Request("alert")
                       .text("body", "system")
                       .text("launchImage", kKeepAliveLaunchImage)
                       .flag("plain", true)));
    send(std::move(Request("alert")
                       .text("body", "lower")
                       .text("launchImage", "iphone_vigilant_1234567890_abcdefgh")));
    send(
        std::move(Request("notify").text("app", "a.b").real("fireIn", 1).text("body", "no image")));
    runFor(2);
    const auto alerts = arrayFile(files.alerts);
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(textAt(*alerts[0], "body"), "system");
    EXPECT_EQ(textAt(*alerts[1], "body"), "lower");
    EXPECT_EQ(textAt(*alerts[2], "body"), "no image");
}

}  // namespace
