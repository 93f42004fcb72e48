// The answers to each power message code, with the message's own argument, asked of the
// delegate only when it provides the operation; and no answer where none is due.
#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "DaemonTestSupport.h"
#include "PowerController.h"

using namespace daemon_test;
using platform::testing::PowerAnswer;
using Selector = PowerControllerDelegate::Selector;

namespace {

// A delegate that provides the operations it is told to, answering as it is told to.
class ScriptedDelegate : public PowerControllerDelegate {
  public:
    std::set<Selector> provided;
    BOOL maySleep = YES;
    int wantsAsked = 0, mustAsked = 0, poweredOn = 0;

    BOOL respondsToSelector(Selector s) const override { return provided.count(s) != 0; }
    void systemPoweredOn() override { ++poweredOn; }
    BOOL systemWantsToSleep() override {
        ++wantsAsked;
        return maySleep;
    }
    BOOL systemMustSleep() override {
        ++mustAsked;
        return maySleep;
    }
};

enum class Expect { allow, cancel, none };

struct MessageCase {
    const char* name;
    natural_t code;
    std::set<Selector> provided;
    bool maySleep;
    bool withDelegate;
    Expect answer;
};
// Test names show the case, not its bytes.
void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class PowerMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(PowerMessages, AnsweredByTheRuleWithTheMessagesOwnArgument) {
    TestPlatform device;
    ScriptedDelegate delegate;
    delegate.provided = GetParam().provided;
    delegate.maySleep = GetParam().maySleep;
    PowerController controller(GetParam().withDelegate ? &delegate : nullptr);
    controller.registerForPowerNotifications();
    const long argument = 0x7ead'beef'1234L;
    ASSERT_TRUE(device.deliverPowerMessage(GetParam().code, argument));

    std::vector<PowerAnswer> expected;
    if (GetParam().answer != Expect::none)
        expected.push_back({controller.rootPort(), argument, GetParam().answer == Expect::allow});
    EXPECT_EQ(device.powerAnswers(), expected);
    // Asked only when provided, and only for its own message.
    const bool asksWants = GetParam().withDelegate && GetParam().code == kIOMessageCanSystemSleep &&
                           GetParam().provided.count(Selector::systemWantsToSleep);
    const bool asksMust = GetParam().withDelegate && GetParam().code == kIOMessageSystemWillSleep &&
                          GetParam().provided.count(Selector::systemMustSleep);
    const bool tellsOn = GetParam().withDelegate &&
                         GetParam().code == kIOMessageSystemHasPoweredOn &&
                         GetParam().provided.count(Selector::systemPoweredOn);
    EXPECT_EQ(delegate.wantsAsked, asksWants ? 1 : 0);
    EXPECT_EQ(delegate.mustAsked, asksMust ? 1 : 0);
    EXPECT_EQ(delegate.poweredOn, tellsOn ? 1 : 0);
}

const std::set<Selector> kAll{Selector::systemPoweredOn, Selector::systemWantsToSleep,
                              Selector::systemMustSleep};
const std::set<Selector> kNone{};

INSTANTIATE_TEST_SUITE_P(
    Table, PowerMessages,
    ::testing::Values(
        MessageCase{"CanSleepRefused", kIOMessageCanSystemSleep, kAll, false, true, Expect::cancel},
        MessageCase{"CanSleepAllowed", kIOMessageCanSystemSleep, kAll, true, true, Expect::allow},
        MessageCase{"WillSleepRefused", kIOMessageSystemWillSleep, kAll, false, true,
                    Expect::cancel},
        MessageCase{"WillSleepAllowed", kIOMessageSystemWillSleep, kAll, true, true, Expect::allow},
        MessageCase{"CanSleepWithoutTheOperation",
                    kIOMessageCanSystemSleep,
                    {Selector::systemMustSleep},
                    false,
                    true,
                    Expect::allow},
        MessageCase{"WillSleepWithoutTheOperation",
                    kIOMessageSystemWillSleep,
                    {Selector::systemWantsToSleep},
                    false,
                    true,
                    Expect::allow},
        MessageCase{"CanSleepWithoutDelegate", kIOMessageCanSystemSleep, kAll, false, false,
                    Expect::allow},
        MessageCase{"WillSleepWithoutDelegate", kIOMessageSystemWillSleep, kAll, false, false,
                    Expect::allow},
        MessageCase{"PoweredOnTold", kIOMessageSystemHasPoweredOn, kAll, false, true, Expect::none},
        MessageCase{"PoweredOnNotProvided", kIOMessageSystemHasPoweredOn, kNone, false, true,
                    Expect::none},
        MessageCase{"PoweredOnWithoutDelegate", kIOMessageSystemHasPoweredOn, kAll, false, false,
                    Expect::none},
        MessageCase{"WillNotSleep", kIOMessageSystemWillNotSleep, kAll, false, true, Expect::none},
        MessageCase{"WillPowerOn", kIOMessageSystemWillPowerOn, kAll, false, true, Expect::none},
        MessageCase{"UnknownCode", 0x12345678, kAll, false, true, Expect::none},
        MessageCase{"ZeroCode", 0, kAll, false, true, Expect::none}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PowerMessages, EachSleepMessageIsAnsweredOnceInOrderWithItsArgument) {
    TestPlatform device;
    ScriptedDelegate delegate;
    delegate.provided = kAll;
    delegate.maySleep = NO;
    PowerController controller(&delegate);
    controller.registerForPowerNotifications();
    device.deliverPowerMessage(kIOMessageCanSystemSleep, 101);
    device.deliverPowerMessage(kIOMessageSystemWillSleep, 102);
    device.deliverPowerMessage(kIOMessageSystemHasPoweredOn, 103);
    delegate.maySleep = YES;
    device.deliverPowerMessage(kIOMessageCanSystemSleep, -1);
    const io_connect_t c = controller.rootPort();
    EXPECT_EQ(device.powerAnswers(),
              (std::vector<PowerAnswer>{{c, 101, false}, {c, 102, false}, {c, -1, true}}));
}

TEST(PowerMessages, DelegateIsNotOwnedAndCanBeReplaced) {
    TestPlatform device;
    auto first = std::make_unique<ScriptedDelegate>();
    first->provided = kAll;
    first->maySleep = NO;
    PowerController controller(first.get());
    EXPECT_EQ(controller.delegate(), first.get());
    controller.registerForPowerNotifications();
    ScriptedDelegate second;
    controller.setDelegate(&second);
    first.reset();  // the controller does not own its delegate
    EXPECT_EQ(controller.delegate(), &second);
    device.deliverPowerMessage(kIOMessageCanSystemSleep, 7);
    EXPECT_EQ(device.powerAnswers(),
              (std::vector<PowerAnswer>{{controller.rootPort(), 7, true}}));  // provides nothing
}

TEST(PowerMessages, DaemonRefusesWhileActiveAndAllowsWhileNot) {
    auto device = makeDevice("3.1.3", "2026-12-07 12:00:00");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    EXPECT_TRUE(daemon.respondsToSelector(Selector::systemWantsToSleep));
    EXPECT_TRUE(daemon.respondsToSelector(Selector::systemMustSleep));
    EXPECT_FALSE(daemon.respondsToSelector(Selector::systemPoweredOn));
    device->deliverPowerMessage(kIOMessageCanSystemSleep, 1);
    device->deliverPowerMessage(kIOMessageSystemWillSleep, 2);
    device->setTime("2026-12-07 23:00:00");
    daemon.timerFire(nullptr);
    device->deliverPowerMessage(kIOMessageCanSystemSleep, 3);
    device->deliverPowerMessage(kIOMessageSystemWillSleep, 4);
    const size_t before = device->calls().size();
    device->deliverPowerMessage(kIOMessageSystemHasPoweredOn, 5);  // changes nothing
    EXPECT_EQ(device->calls().size(), before);
    const io_connect_t c = device->powerConnection();
    EXPECT_EQ(device->powerAnswers(),
              (std::vector<PowerAnswer>{{c, 1, true}, {c, 2, true}, {c, 3, false}, {c, 4, false}}));
}

TEST(PowerMessages, SleepQuestionIsAnsweredFromTheFlagAlone) {
    auto device = makeDevice("3.1.3", "2026-12-07 23:00:00");
    writeSchedule(*device, true, 1320, 360);
    Daemon daemon;
    device->clearRecords();
    device->deliverPowerMessage(kIOMessageCanSystemSleep, 9);
    // No clock, settings, version or file was consulted: the answer is the only call.
    EXPECT_EQ(device->calls(), (Records{PowerAnswer{device->powerConnection(), 9, false}}));
}

}  // namespace
