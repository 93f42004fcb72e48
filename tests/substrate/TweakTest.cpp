// The extension loaded into a process that has SpringBoard's alerts controller: the marker
// drops the alert, everything else reaches SpringBoard's own activateAlertItem: once.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>

#include <optional>
#include <string>
#include <vector>

#include "KeepAliveMarker.h"
#include "SpringBoardSideBackend.h"

namespace {

struct Activation {
    id controller;
    id item;
};
std::vector<Activation> g_activations;

void springBoardActivateAlertItem(id self, SEL, id item) { g_activations.push_back({self, item}); }

// An alert item whose alertLaunchImage answers with `launchImage` (which may be null).
struct NotificationItem : objc_object {
    NotificationItem(Class cls, StrongId image) : objc_object(cls), launchImage(std::move(image)) {}
    StrongId launchImage;
};
id alertLaunchImage(id self, SEL) {
    return static_cast<NotificationItem*>(self)->launchImage.get();
}

Class g_controllerClass = nullptr;
Class g_notificationItemClass = nullptr;
Class g_plainItemClass = nullptr;
IMP g_springBoardImp = nullptr;
SpringBoardSideBackend* g_backend = nullptr;
std::vector<std::string> g_linesAtLoad;

class SpringBoardWithExtension : public testing::Environment {
  public:
    void SetUp() override {
        g_backend = new SpringBoardSideBackend;
        g_controllerClass =
            objc_allocateClassPair(objc::rootObjectClass(), "SBAlertItemsController", 0);
        g_springBoardImp = imp_fromFunction(&springBoardActivateAlertItem);
        class_addMethod(g_controllerClass, sel_registerName("activateAlertItem:"), g_springBoardImp,
                        "v@:@");
        objc_registerClassPair(g_controllerClass);
        g_notificationItemClass =
            objc_allocateClassPair(objc::rootObjectClass(), "TestNotificationAlert", 0);
        class_addMethod(g_notificationItemClass, sel_registerName("alertLaunchImage"),
                        imp_fromFunction(&alertLaunchImage), "@@:");
        objc_registerClassPair(g_notificationItemClass);
        g_plainItemClass = objc_allocateClassPair(objc::rootObjectClass(), "TestSystemAlert", 0);
        objc_registerClassPair(g_plainItemClass);

        ASSERT_NE(dlopen(VIGILANT_SUBSTRATE_PATH, RTLD_NOW), nullptr) << dlerror();
        g_linesAtLoad = g_backend->logLines();
    }
};
const auto* const g_environment = testing::AddGlobalTestEnvironment(new SpringBoardWithExtension);

void activate(id controller, id item) {
    objc_msgSendTyped<void>(controller, sel_registerName("activateAlertItem:"), item);
}

class Replacement : public testing::Test {
  protected:
    void SetUp() override { g_activations.clear(); }
    objc_object controller{g_controllerClass};
};

TEST(Extension, LogsItsTwoLinesInOrderOncePerLoad) {
    EXPECT_EQ(g_linesAtLoad,
              (std::vector<std::string>{"VigilantSubstrate: starting up...",
                                        "VigilantSubstrate: successfully started."}));
    const size_t before = g_backend->logLines().size();
    void* again = dlopen(VIGILANT_SUBSTRATE_PATH, RTLD_NOW);  // already loaded: no second start
    ASSERT_NE(again, nullptr);
    dlclose(again);
    EXPECT_EQ(g_backend->logLines().size(), before);
}

TEST(Extension, KeepsSpringBoardsOwnImplementationUnderThePrefix) {
    EXPECT_EQ(class_getMethodImplementation(g_controllerClass,
                                            sel_registerName("vigilant_activateAlertItem:")),
              g_springBoardImp);
    EXPECT_NE(
        class_getMethodImplementation(g_controllerClass, sel_registerName("activateAlertItem:")),
        g_springBoardImp);
}

TEST(Extension, MarkerIsOneSharedConstantOf35Characters) {
    EXPECT_STREQ(kKeepAliveLaunchImage, "IPHONE_VIGILANT_1234567890_ABCDEFGH");
    EXPECT_EQ(std::string(kKeepAliveLaunchImage).size(), 35u);
}

TEST_F(Replacement, DropsAnItemWithExactlyTheMarker) {
    NotificationItem item(g_notificationItemClass, objc::makeString(kKeepAliveLaunchImage));
    activate(&controller, &item);
    activate(&controller, &item);
    EXPECT_TRUE(g_activations.empty());
}

// Launch images that are not the marker; null stands for an item answering null.
class PassesThrough : public Replacement,
                      public testing::WithParamInterface<std::optional<std::string>> {};

TEST_P(PassesThrough, ReachesSpringBoardOnceWithTheSameReceiverAndItem) {
    const auto& image = GetParam();
    NotificationItem item(g_notificationItemClass, image ? objc::makeString(*image) : nullptr);
    activate(&controller, &item);
    ASSERT_EQ(g_activations.size(), 1u);
    EXPECT_EQ(g_activations[0].controller, &controller);
    EXPECT_EQ(g_activations[0].item, &item);
}

INSTANTIATE_TEST_SUITE_P(
    LaunchImages, PassesThrough,
    testing::Values(std::optional<std::string>{"iphone_vigilant_1234567890_abcdefgh"},
                    std::optional<std::string>{"Iphone_Vigilant_1234567890_Abcdefgh"},
                    std::optional<std::string>{" IPHONE_VIGILANT_1234567890_ABCDEFGH"},
                    std::optional<std::string>{"IPHONE_VIGILANT_1234567890_ABCDEFGH "},
                    std::optional<std::string>{"IPHONE_VIGILANT_1234567890_ABCDEFG"},
                    std::optional<std::string>{"IPHONE_VIGILANT_1234567890_ABCDEFGHI"},
                    std::optional<std::string>{"Default"}, std::optional<std::string>{""},
                    std::optional<std::string>{}));

TEST_F(Replacement, PassesAnItemWithoutAlertLaunchImage) {
    objc_object item(g_plainItemClass);
    activate(&controller, &item);
    ASSERT_EQ(g_activations.size(), 1u);
    EXPECT_EQ(g_activations[0].controller, &controller);
    EXPECT_EQ(g_activations[0].item, &item);
}

TEST_F(Replacement, PassesAnItemWhoseLaunchImageIsNoString) {
    NotificationItem item(g_notificationItemClass,
                          std::make_unique<objc_object>(objc::rootObjectClass()));
    activate(&controller, &item);
    EXPECT_EQ(g_activations.size(), 1u);
}

TEST_F(Replacement, KeepsEachReceiverApart) {
    objc_object other(g_controllerClass);
    objc_object first(g_plainItemClass);
    objc_object second(g_plainItemClass);
    activate(&controller, &first);
    activate(&other, &second);
    ASSERT_EQ(g_activations.size(), 2u);
    EXPECT_EQ(g_activations[0].controller, &controller);
    EXPECT_EQ(g_activations[0].item, &first);
    EXPECT_EQ(g_activations[1].controller, &other);
    EXPECT_EQ(g_activations[1].item, &second);
}

TEST_F(Replacement, PassesANullItem) {
    activate(&controller, nullptr);
    ASSERT_EQ(g_activations.size(), 1u);
    EXPECT_EQ(g_activations[0].item, nullptr);
}

}  // namespace
