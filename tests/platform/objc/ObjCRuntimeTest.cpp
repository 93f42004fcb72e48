// The object runtime as SpringBoard and its extensions use it.
#include <gtest/gtest.h>
#include <objc/message.h>
#include <objc/objects.h>
#include <objc/runtime.h>

#include <string>

namespace {

struct Probe : objc_object {
    using objc_object::objc_object;
    int calls = 0;
};

int answer(id self, SEL) { return ++static_cast<Probe*>(self)->calls; }
int otherAnswer(id, SEL) { return -1; }

Class makeClass(const char* name, Class superclass = objc::rootObjectClass()) {
    Class cls = objc_allocateClassPair(superclass, name, 0);
    objc_registerClassPair(cls);
    return cls;
}

TEST(ObjCRuntime, SelectorsAreUniquePerName) {
    EXPECT_EQ(sel_registerName("alertLaunchImage"), sel_registerName("alertLaunchImage"));
    EXPECT_NE(sel_registerName("alertLaunchImage"), sel_registerName("alertlaunchimage"));
    EXPECT_STREQ(sel_getName(sel_registerName("activateAlertItem:")), "activateAlertItem:");
}

TEST(ObjCRuntime, ClassesAreFoundByNameOnlyOnceRegistered) {
    Class cls = objc_allocateClassPair(objc::rootObjectClass(), "RuntimeTestPending", 0);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(objc_getClass("RuntimeTestPending"), nullptr);
    objc_registerClassPair(cls);
    EXPECT_EQ(objc_getClass("RuntimeTestPending"), cls);
    EXPECT_STREQ(class_getName(cls), "RuntimeTestPending");
    EXPECT_EQ(class_getSuperclass(cls), objc_getClass("NSObject"));
    EXPECT_EQ(objc_getClass("NoSuchClass"), nullptr);
    EXPECT_EQ(objc_allocateClassPair(nullptr, "RuntimeTestPending", 0), nullptr) << "name taken";
    EXPECT_EQ(objc_allocateClassPair(nullptr, "", 0), nullptr);
}

TEST(ObjCRuntime, MessagesRunTheMethodOfTheNearestClass) {
    Class base = makeClass("RuntimeTestBase");
    Class derived = makeClass("RuntimeTestDerived", base);
    SEL sel = sel_registerName("answer");
    ASSERT_TRUE(class_addMethod(base, sel, imp_fromFunction(&answer), "i@:"));
    EXPECT_FALSE(class_addMethod(base, sel, imp_fromFunction(&otherAnswer), "i@:"));

    Probe object(derived);
    EXPECT_EQ(objc_msgSendTyped<int>(&object, sel), 1);
    EXPECT_EQ(objc_msgSendTyped<int>(&object, sel), 2);

    // An override on the subclass leaves the superclass alone.
    EXPECT_TRUE(class_addMethod(derived, sel, imp_fromFunction(&otherAnswer), "i@:"));
    EXPECT_EQ(objc_msgSendTyped<int>(&object, sel), -1);
    Probe baseObject(base);
    EXPECT_EQ(objc_msgSendTyped<int>(&baseObject, sel), 1);
}

TEST(ObjCRuntime, ImplementationsCanBeSwappedAndReplaced) {
    Class cls = makeClass("RuntimeTestSwap");
    SEL sel = sel_registerName("answer");
    EXPECT_EQ(class_replaceMethod(cls, sel, imp_fromFunction(&answer), "i@:"), nullptr);
    Method method = class_getInstanceMethod(cls, sel);
    ASSERT_NE(method, nullptr);
    EXPECT_EQ(method_getName(method), sel);
    EXPECT_STREQ(method_getTypeEncoding(method), "i@:");
    EXPECT_EQ(method_setImplementation(method, imp_fromFunction(&otherAnswer)),
              imp_fromFunction(&answer));
    Probe object(cls);
    EXPECT_EQ(objc_msgSendTyped<int>(&object, sel), -1);
    EXPECT_EQ(class_replaceMethod(cls, sel, imp_fromFunction(&answer), "i@:"),
              imp_fromFunction(&otherAnswer));
    EXPECT_EQ(objc_msgSendTyped<int>(&object, sel), 1);
}

TEST(ObjCRuntime, RespondsToSelectorFollowsTheClassChain) {
    Class base = makeClass("RuntimeTestResponder");
    Class derived = makeClass("RuntimeTestResponderChild", base);
    SEL sel = sel_registerName("onlyOnBase");
    class_addMethod(base, sel, imp_fromFunction(&answer), "i@:");
    SEL respondsToSelector = sel_registerName("respondsToSelector:");
    Probe object(derived);
    EXPECT_TRUE(objc_msgSendTyped<BOOL>(&object, respondsToSelector, sel));
    EXPECT_FALSE(
        objc_msgSendTyped<BOOL>(&object, respondsToSelector, sel_registerName("alertLaunchImage")));
    EXPECT_TRUE(class_respondsToSelector(derived, respondsToSelector));
}

TEST(ObjCRuntime, MessagesToNullReturnZero) {
    EXPECT_EQ(objc_msgSendTyped<int>(nullptr, sel_registerName("answer")), 0);
    EXPECT_EQ(objc_msgSendTyped<id>(nullptr, sel_registerName("alertLaunchImage")), nullptr);
    EXPECT_FALSE(objc_msgSendTyped<BOOL>(nullptr, sel_registerName("respondsToSelector:"),
                                         sel_registerName("answer")));
    objc_msgSendTyped<void>(nullptr, sel_registerName("activateAlertItem:"), nullptr);
}

TEST(ObjCRuntimeDeathTest, AnUnansweredMessageAbortsNamingClassAndSelector) {
    Class cls = makeClass("RuntimeTestMute");
    Probe object(cls);
    EXPECT_DEATH(objc_msgSendTyped<void>(&object, sel_registerName("noSuchMessage")),
                 "-\\[RuntimeTestMute noSuchMessage\\]: unrecognized selector");
}

struct StringCase {
    const char* left;
    const char* right;
    bool equal;
};

class StringEquality : public testing::TestWithParam<StringCase> {};

TEST_P(StringEquality, IsExactAndCaseSensitive) {
    const StringCase& c = GetParam();
    StrongId left = objc::makeString(c.left);
    StrongId right = objc::makeString(c.right);
    SEL isEqual = sel_registerName("isEqualToString:");
    EXPECT_EQ(objc_msgSendTyped<BOOL>(left.get(), isEqual, right.get()), c.equal);
    EXPECT_EQ(objc_msgSendTyped<BOOL>(right.get(), isEqual, left.get()), c.equal);
}

INSTANTIATE_TEST_SUITE_P(Cases, StringEquality,
                         testing::Values(StringCase{"abc", "abc", true}, StringCase{"", "", true},
                                         StringCase{"abc", "ABC", false},
                                         StringCase{"abc", " abc", false},
                                         StringCase{"abc", "abc ", false},
                                         StringCase{"abc", "ab", false},
                                         StringCase{"a\xc3\xa9", "a\xc3\xa9", true}));

TEST(ObjCStrings, CompareUnequalWithNullAndWithOtherObjects) {
    StrongId text = objc::makeString("text");
    Probe notAString(objc::rootObjectClass());
    SEL isEqual = sel_registerName("isEqualToString:");
    EXPECT_FALSE(objc_msgSendTyped<BOOL>(text.get(), isEqual, static_cast<id>(nullptr)));
    EXPECT_FALSE(objc_msgSendTyped<BOOL>(text.get(), isEqual, static_cast<id>(&notAString)));
    EXPECT_EQ(objc::stringValue(&notAString), nullptr);
    EXPECT_EQ(objc::stringValue(nullptr), nullptr);
}

TEST(ObjCStrings, AnswerTheirTextAndLength) {
    StrongId text = objc::makeString("VigilantPro");
    EXPECT_STREQ(objc_msgSendTyped<const char*>(text.get(), sel_registerName("UTF8String")),
                 "VigilantPro");
    EXPECT_EQ(objc_msgSendTyped<unsigned long>(text.get(), sel_registerName("length")), 11u);
    EXPECT_EQ(object_getClass(text.get()), objc_getClass("NSString"));
    EXPECT_TRUE(objc::isKindOfClass(text.get(), objc_getClass("NSObject")));
}

}  // namespace
