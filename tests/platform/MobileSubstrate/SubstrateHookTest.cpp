// MSHookMessage: the replacement runs for later messages and the previous implementation
// stays reachable under the prefixed selector.
#include <gtest/gtest.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>
#include <substrate.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

void original(id, SEL, id) { g_calls.push_back("original"); }
void inherited(id, SEL, id) { g_calls.push_back("inherited"); }
void replacement(id self, SEL, id item) {
    g_calls.push_back("replacement");
    objc_msgSendTyped<void>(self, sel_registerName("test_activate:"), item);
}

Class makeClass(const char* name, Class superclass = objc::rootObjectClass()) {
    Class cls = objc_allocateClassPair(superclass, name, 0);
    objc_registerClassPair(cls);
    return cls;
}

class HookMessage : public testing::Test {
  protected:
    void SetUp() override { g_calls.clear(); }
    SEL activate = sel_registerName("activate:");
    SEL prefixed = sel_registerName("test_activate:");
};

TEST_F(HookMessage, RunsTheReplacementAndKeepsThePreviousUnderThePrefix) {
    Class cls = makeClass("HookTestController");
    class_addMethod(cls, activate, imp_fromFunction(&original), "v@:@");
    const IMP previous = MSHookMessage(cls, activate, imp_fromFunction(&replacement), "test_");
    EXPECT_EQ(previous, imp_fromFunction(&original));
    EXPECT_EQ(class_getMethodImplementation(cls, prefixed), imp_fromFunction(&original));

    objc_object controller(cls);
    objc_msgSendTyped<void>(&controller, activate, static_cast<id>(nullptr));
    objc_msgSendTyped<void>(&controller, activate, static_cast<id>(nullptr));
    EXPECT_EQ(g_calls,
              (std::vector<std::string>{"replacement", "original", "replacement", "original"}));
}

TEST_F(HookMessage, OfANullClassChangesNothing) {
    EXPECT_EQ(MSHookMessage(nullptr, activate, imp_fromFunction(&replacement), "test_"), nullptr);
}

TEST_F(HookMessage, OfAnUnansweredSelectorChangesNothing) {
    Class cls = makeClass("HookTestEmpty");
    EXPECT_EQ(MSHookMessage(cls, activate, imp_fromFunction(&replacement), "test_"), nullptr);
    EXPECT_FALSE(class_respondsToSelector(cls, activate));
    EXPECT_FALSE(class_respondsToSelector(cls, prefixed));
}

TEST_F(HookMessage, OfAnInheritedMethodLeavesTheSuperclassAlone) {
    Class base = makeClass("HookTestBase");
    Class derived = makeClass("HookTestDerived", base);
    class_addMethod(base, activate, imp_fromFunction(&inherited), "v@:@");
    EXPECT_EQ(MSHookMessage(derived, activate, imp_fromFunction(&replacement), "test_"),
              imp_fromFunction(&inherited));

    objc_object baseObject(base);
    objc_object derivedObject(derived);
    objc_msgSendTyped<void>(&baseObject, activate, static_cast<id>(nullptr));
    objc_msgSendTyped<void>(&derivedObject, activate, static_cast<id>(nullptr));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"inherited", "replacement", "inherited"}));
}

TEST_F(HookMessage, ASecondHookWithThePrefixKeepsTheFirstOriginal) {
    Class cls = makeClass("HookTestTwice");
    class_addMethod(cls, activate, imp_fromFunction(&original), "v@:@");
    MSHookMessage(cls, activate, imp_fromFunction(&replacement), "test_");
    EXPECT_EQ(MSHookMessage(cls, activate, imp_fromFunction(&replacement), "test_"),
              imp_fromFunction(&replacement));
    objc_object controller(cls);
    objc_msgSendTyped<void>(&controller, activate, static_cast<id>(nullptr));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"replacement", "original"}));
}

TEST_F(HookMessage, ExWithoutPrefixHandsBackThePrevious) {
    Class cls = makeClass("HookTestEx");
    class_addMethod(cls, activate, imp_fromFunction(&original), "v@:@");
    IMP previous = nullptr;
    MSHookMessageEx(cls, activate, imp_fromFunction(&inherited), &previous);
    EXPECT_EQ(previous, imp_fromFunction(&original));
    objc_object controller(cls);
    objc_msgSendTyped<void>(&controller, activate, static_cast<id>(nullptr));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"inherited"}));
}

}  // namespace
