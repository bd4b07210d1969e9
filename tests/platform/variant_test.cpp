#include <gtest/gtest.h>

#include <cmath>

#include "lumbrook/bstr.h"
#include "support/com_support.h"

namespace lumbrook::platform {
namespace {

using namespace lumbrook::testing;

// Each conversion goes into a destination that holds I4 77: a failed one must leave it so.
TEST(Variant, ConversionsAndTheirFailures) {
    double number = 7.25;
    BSTR text = SysAllocString(u"MS");
    const struct {
        VARIANT from;
        VARTYPE to;
        HRESULT hr;
        std::string result;
    } cases[] = {
        // A text is a number whole or not at all; "abc", and an I2 that overflows: dispatch_test.
        {Var(" 12.5 "), VT_R8, S_OK, "R8 12.5"},
        {Var(""), VT_R8, DISP_E_TYPEMISMATCH, "I4 77"},
        {Var("12.5x"), VT_R8, DISP_E_TYPEMISMATCH, "I4 77"},
        {Var("1,5"), VT_R8, DISP_E_TYPEMISMATCH, "I4 77"},
        {Var("--1"), VT_R8, DISP_E_TYPEMISMATCH, "I4 77"},
        {Var(VT_I4, -32768), VT_I2, S_OK, "I2 -32768"},  // the range's edge
        // Doubles round half to even into integers (the rounding itself: base_test.cpp).
        {Var(VT_R8, 2.5), VT_I2, S_OK, "I2 2"},
        {Var(VT_R8, 3.5), VT_I2, S_OK, "I2 4"},
        {Var(VT_R8, std::nan("")), VT_I4, DISP_E_OVERFLOW, "I4 77"},
        // By-reference arguments are followed; a VT_VARIANT reference one level: abi_test,
        // through the C interface.
        {VarRef(VT_R8, &number), VT_BSTR, S_OK, "BSTR 7.25"},
        {VarRef(VT_BSTR, &text), VT_BSTR, S_OK, "BSTR MS"},
        {VarRef(VT_I4, nullptr), VT_I4, DISP_E_TYPEMISMATCH, "I4 77"},
        // Booleans follow the automation values.
        {Var(VT_BOOL, VARIANT_TRUE), VT_I4, S_OK, "I4 -1"},
        {Var(VT_BOOL, VARIANT_TRUE), VT_BSTR, S_OK, "BSTR True"},
        {Var("false"), VT_BOOL, S_OK, "BOOL 0"},
        {Var(VT_I2, 2), VT_BOOL, S_OK, "BOOL -1"},
        {Var("x"), VT_DISPATCH, DISP_E_BADVARTYPE, "I4 77"},
    };
    for (auto c : cases) {
        VARIANT result = Var(VT_I4, 77);
        EXPECT_EQ(VariantChangeType(&result, &c.from, 0, c.to), c.hr) << Describe(c.from);
        EXPECT_EQ(Describe(result), c.result) << Describe(c.from);
        VariantClear(&result);
        VariantClear(&c.from);
    }
    SysFreeString(text);
}

TEST(Variant, InPlaceConversionFreesTheOldTextAndCopyDuplicatesIt) {
    VARIANT v = Var("42");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);  // the sanitizer run sees leaks
    EXPECT_EQ(Describe(v), "I4 42");

    VARIANT source = Var("copy me");
    VARIANT copy = Var(VT_EMPTY, 0);
    ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
    EXPECT_NE(copy.u.bstrVal, source.u.bstrVal);
    EXPECT_EQ(Describe(copy), "BSTR copy me");
    VariantClear(&copy);
    VariantClear(&source);
}

}  // namespace
}  // namespace lumbrook::platform
