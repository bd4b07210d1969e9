#include <gtest/gtest.h>

#include <cmath>

#include "lumbrook/bstr.h"

namespace lumbrook::platform {
namespace {

// A VARIANT that clears itself.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    ~Var() { VariantClear(&v); }
};

VARIANT Text(const char* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.u.bstrVal = BstrFromUtf8(text);
    return v;
}

TEST(Variant, TextReadsAsADoubleOrIsATypeMismatchThatLeavesTheDestination) {
    Var number;
    number.v = Text(" 12.5 ");
    Var converted;
    ASSERT_EQ(VariantChangeType(&converted.v, &number.v, 0, VT_R8), S_OK);
    EXPECT_EQ(converted.v.vt, VT_R8);
    EXPECT_EQ(converted.v.u.dblVal, 12.5);
    for (const char* text : {"abc", "", "12.5x", "1,5", "--1"}) {
        Var source;
        source.v = Text(text);
        Var result;
        result.v.vt = VT_I4;
        result.v.u.lVal = 77;
        EXPECT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_R8), DISP_E_TYPEMISMATCH) << text;
        EXPECT_EQ(result.v.vt, VT_I4);
        EXPECT_EQ(result.v.u.lVal, 77);
    }
}

TEST(Variant, IntegersOverflowInsteadOfWrapping) {
    Var source;
    source.v.vt = VT_I4;
    source.v.u.lVal = 40000;
    Var result;
    EXPECT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_I2), DISP_E_OVERFLOW);
    source.v.u.lVal = -32768;
    ASSERT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_I2), S_OK);
    EXPECT_EQ(result.v.u.iVal, -32768);
}

TEST(Variant, DoublesRoundHalfToEvenIntoIntegers) {
    const struct {
        double in;
        SHORT out;
    } cases[] = {{2.5, 2}, {3.5, 4}};  // the rounding itself: base_test.cpp
    for (const auto& c : cases) {
        Var source;
        source.v.vt = VT_R8;
        source.v.u.dblVal = c.in;
        Var result;
        ASSERT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_I2), S_OK) << c.in;
        EXPECT_EQ(result.v.u.iVal, c.out) << c.in;
    }
    Var nan;
    nan.v.vt = VT_R8;
    nan.v.u.dblVal = std::nan("");
    Var result;
    EXPECT_EQ(VariantChangeType(&result.v, &nan.v, 0, VT_I4), DISP_E_OVERFLOW);
}

TEST(Variant, ByReferenceArgumentsAreFollowed) {
    double value = 7.25;
    Var source;
    source.v.vt = VT_R8 | VT_BYREF;
    source.v.u.pdblVal = &value;
    Var result;
    ASSERT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(result.v.u.bstrVal), "7.25");
    BSTR text = SysAllocString(u"MS");
    source.v.vt = VT_BSTR | VT_BYREF;
    source.v.u.pbstrVal = &text;
    ASSERT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(result.v.u.bstrVal), "MS");
    SysFreeString(text);
    // A VT_VARIANT reference is followed one level: abi_test, through the C interface.

    Var dangling;
    dangling.v.vt = VT_I4 | VT_BYREF;
    dangling.v.u.plVal = nullptr;
    EXPECT_EQ(VariantChangeType(&result.v, &dangling.v, 0, VT_I4), DISP_E_TYPEMISMATCH);
}

TEST(Variant, BooleansFollowTheAutomationValues) {
    Var source;
    source.v.vt = VT_BOOL;
    source.v.u.boolVal = VARIANT_TRUE;
    Var result;
    ASSERT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_I4), S_OK);
    EXPECT_EQ(result.v.u.lVal, -1);
    ASSERT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_BSTR), S_OK);
    EXPECT_EQ(Utf8FromBstr(result.v.u.bstrVal), "True");

    Var text;
    text.v = Text("false");
    ASSERT_EQ(VariantChangeType(&result.v, &text.v, 0, VT_BOOL), S_OK);
    EXPECT_EQ(result.v.u.boolVal, VARIANT_FALSE);
    Var two;
    two.v.vt = VT_I2;
    two.v.u.iVal = 2;
    ASSERT_EQ(VariantChangeType(&result.v, &two.v, 0, VT_BOOL), S_OK);
    EXPECT_EQ(result.v.u.boolVal, VARIANT_TRUE);
}

TEST(Variant, InPlaceConversionFreesTheOldText) {
    Var v;
    v.v = Text("42");
    ASSERT_EQ(VariantChangeType(&v.v, &v.v, 0, VT_I4), S_OK);  // the sanitizer run sees leaks
    EXPECT_EQ(v.v.vt, VT_I4);
    EXPECT_EQ(v.v.u.lVal, 42);
}

TEST(Variant, CopyDuplicatesTextAndUnsupportedTargetsAreRefused) {
    Var source;
    source.v = Text("copy me");
    Var copy;
    ASSERT_EQ(VariantCopy(&copy.v, &source.v), S_OK);
    EXPECT_NE(copy.v.u.bstrVal, source.v.u.bstrVal);
    EXPECT_EQ(Utf8FromBstr(copy.v.u.bstrVal), "copy me");
    Var result;
    EXPECT_EQ(VariantChangeType(&result.v, &source.v, 0, VT_DISPATCH), DISP_E_BADVARTYPE);
}

}  // namespace
}  // namespace lumbrook::platform
