#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/object_support.h"

namespace lumbrook::automation {
namespace {

using platform::Bstr;
using testing::NewObject;
using testing::TakeErrorInfo;

std::string Text(_Lumbrook& o, HRESULT (_Lumbrook::*get)(BSTR*)) {
    Bstr value;
    EXPECT_EQ((o.*get)(value.out()), S_OK);
    return value.Utf8();
}

struct NumberSetter {
    const char* name;
    HRESULT (_Lumbrook::*put)(DOUBLE);
    HRESULT (_Lumbrook::*get)(DOUBLE*);
    HRESULT error;
    const char* description;
    double initial;
};

const NumberSetter kNumberSetters[] = {
    {"minMass", &_Lumbrook::put_minMass, &_Lumbrook::get_minMass, LUMBROOK_E_MINMASS,
     "Minimum mass cannot be negative", 60},
    {"maxMass", &_Lumbrook::put_maxMass, &_Lumbrook::get_maxMass, LUMBROOK_E_MAXMASS,
     "Maximum mass cannot be negative", 20},
    {"S2N", &_Lumbrook::put_S2N, &_Lumbrook::get_S2N, LUMBROOK_E_S2N,
     "Signal to noise ratio cannot be negative", 10},
};

TEST(LumbrookObject, NumberSettersRefuseNegativeNanAndInfinityAndKeepTheValue) {
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& s : kNumberSetters) {
        auto o = NewObject();
        for (double bad : {-0.001, -1e300, std::nan(""), inf, -inf}) {
            EXPECT_EQ(((*o).*s.put)(bad), s.error) << s.name << " " << bad;
            const auto error = TakeErrorInfo();
            EXPECT_EQ(error.source, "Lumbrook");
            EXPECT_EQ(error.description, s.description);
            double value = 0;
            ((*o).*s.get)(&value);
            EXPECT_EQ(value, s.initial) << s.name;
        }
        for (double good : {0.0, -0.0, 1e-9, 1500.25}) {
            EXPECT_EQ(((*o).*s.put)(good), S_OK) << s.name << " " << good;
            double value = -1;
            ((*o).*s.get)(&value);
            EXPECT_EQ(value, good);
        }
    }
}

TEST(LumbrookObject, MonoisotopicTakesOnlyZeroAndOne) {
    auto o = NewObject();
    for (SHORT bad : {SHORT(-1), SHORT(2), SHORT(32767), SHORT(-32768)}) {
        EXPECT_EQ(o->put_Monoisotopic(bad), LUMBROOK_E_MONOISOTOPIC) << bad;
        EXPECT_EQ(TakeErrorInfo().description, "Monoisotopic must be 0 (false) or 1 (true)");
    }
    SHORT value = -5;
    o->get_Monoisotopic(&value);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(o->put_Monoisotopic(0), S_OK);
    o->get_Monoisotopic(&value);
    EXPECT_EQ(value, 0);
}

TEST(LumbrookObject, MSTypeIsExactAndCaseSensitive) {
    auto o = NewObject();
    ASSERT_EQ(o->put_MSType(Bstr("MS").get()), S_OK);
    for (const char* bad : {"ms-ms", "ms", "MS ", "MSMS", "", "MS-MS-MS"}) {
        EXPECT_EQ(o->put_MSType(Bstr(bad).get()), LUMBROOK_E_MSTYPE) << bad;
        EXPECT_EQ(TakeErrorInfo().description, "MSType must be MS or MS-MS");
    }
    EXPECT_EQ(o->put_MSType(nullptr), LUMBROOK_E_MSTYPE);  // a null BSTR is ""
    TakeErrorInfo();
    EXPECT_EQ(Text(*o, &_Lumbrook::get_MSType), "MS");
    EXPECT_EQ(o->put_MSType(Bstr("MS-MS").get()), S_OK);
    EXPECT_EQ(Text(*o, &_Lumbrook::get_MSType), "MS-MS");
}

// DescriptorList's entries are separated by NULs, which it keeps both ways; any non-zero
// AllSpectra flag is true and reads back as VARIANT_TRUE.
TEST(LumbrookObject, DescriptorListKeepsItsNulsAndAllSpectraIsABoolean) {
    using namespace std::string_literals;
    auto o = NewObject();
    const std::string list =
        "12\0"
        "13\0"s;
    EXPECT_EQ(o->put_DescriptorList(Bstr(list).get()), S_OK);
    EXPECT_EQ(Text(*o, &_Lumbrook::get_DescriptorList), list);
    EXPECT_EQ(o->put_AllSpectra(1), S_OK);
    VARIANT_BOOL all = 0;
    o->get_AllSpectra(&all);
    EXPECT_EQ(all, VARIANT_TRUE);
}

TEST(LumbrookObject, NullPointersAreRefused) {
    auto o = NewObject();
    EXPECT_EQ(o->Connect(nullptr), E_POINTER);
    EXPECT_EQ(o->get_minMass(nullptr), E_POINTER);
    EXPECT_EQ(o->get_DllVersion(nullptr), E_POINTER);
}

TEST(LumbrookObject, InterfacesShareOneIdentity) {
    auto o = NewObject();
    platform::ComPtr<IUnknown> a;
    platform::ComPtr<IUnknown> b;
    platform::ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(o->QueryInterface(IID_ISupportErrorInfo, support.out_void()), S_OK);
    ASSERT_EQ(o->QueryInterface(IID_IUnknown, a.out_void()), S_OK);
    ASSERT_EQ(support->QueryInterface(IID_IUnknown, b.out_void()), S_OK);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__Lumbrook), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(o->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace lumbrook::automation
