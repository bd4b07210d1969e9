#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/type_library.h"
#include "support/com_support.h"
#include "support/object_support.h"

namespace lumbrook::automation {
namespace {

using lumbrook::testing::Describe;
using lumbrook::testing::Var;
using platform::Utf8FromBstr;
using testing::NewObject;

// Late binding as a scripting host does it: names to ids, then Invoke.
class Dispatch : public ::testing::Test {
  protected:
    void SetUp() override {
        object_ = NewObject();
        ASSERT_EQ(object_->QueryInterface(IID_IDispatch, dispatch_.out_void()), S_OK);
    }
    void TearDown() override { ClearExcepInfo(); }

    DISPID Id(const char16_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 12345;
        EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
        return id;
    }

    // Puts the property, and frees `value`.
    HRESULT Put(const char16_t* name, VARIANT value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        ClearExcepInfo();
        argErr_ = 999;
        const HRESULT hr = dispatch_->Invoke(Id(name), GUID_NULL, 0, DISPATCH_PROPERTYPUT, &params,
                                             nullptr, &excep_, &argErr_);
        VariantClear(&value);
        return hr;
    }

    // The property's value as Describe gives it.
    std::string Get(const char16_t* name) {
        DISPPARAMS params{nullptr, nullptr, 0, 0};
        ClearExcepInfo();
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(dispatch_->Invoke(Id(name), GUID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                                    &params, &result, &excep_, nullptr),
                  S_OK);
        const std::string text = Describe(result);
        VariantClear(&result);
        return text;
    }

    void ClearExcepInfo() {
        SysFreeString(excep_.bstrSource);
        SysFreeString(excep_.bstrDescription);
        SysFreeString(excep_.bstrHelpFile);
        excep_ = EXCEPINFO{};
    }

    platform::ComPtr<_Lumbrook> object_;
    platform::ComPtr<IDispatch> dispatch_;
    EXCEPINFO excep_{};
    UINT argErr_ = 0;
};

// The names, kinds, types, order and identifiers of the members are pinned by the committed
// IDL (host.typelib_matches_committed_idl); here, that Invoke's look-ups find each row.
TEST(TypeLibrary, LookUpsFindEveryMember) {
    const auto members = TypeLibrary().members;
    ASSERT_EQ(members.size(), 27u);
    for (std::size_t i = 0; i < members.size(); ++i) {
        // A property's get and put share one dispatch id, and the table finds both.
        EXPECT_EQ(FindMember(members[i].dispid, members[i].kind), &members[i]);
        EXPECT_EQ(FindDispId(members[i].name), members[i].dispid);
    }
}

// Names in any letter case find their member: tests/python, test_property_round_trip.
TEST_F(Dispatch, UnknownNamesAndNullArraysAreRefusedAndDoExportNamesItsArgument) {
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(u"minMas")};
    DISPID none = 0;
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, unknown, 1, 0, &none), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(none, DISPID_UNKNOWN);

    LPOLESTR withArgument[] = {const_cast<LPOLESTR>(u"doexport"), const_cast<LPOLESTR>(u"outfile")};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, withArgument, 2, 0, ids), S_OK);
    EXPECT_EQ(ids[1], 0);

    // Null arrays are refused before anything is read or written.
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, withArgument, 1, 0, nullptr), E_POINTER);
    ids[0] = 77;
    EXPECT_EQ(dispatch_->GetIDsOfNames(GUID_NULL, nullptr, 1, 0, ids), E_POINTER);
    EXPECT_EQ(ids[0], 77);
}

// The type information is offered as IDL text instead (host.typelib_matches_committed_idl).
TEST_F(Dispatch, OffersNoTypeInfo) {
    UINT count = 5;
    EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(dispatch_->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
    EXPECT_EQ(info, nullptr);
}

// Invoke converts each argument to the property's type; how values convert is the variant
// tests' business, here that a failed conversion reaches the caller and changes nothing.
TEST_F(Dispatch, ArgumentsAreConvertedToThePropertysType) {
    EXPECT_EQ(Put(u"minMass", Var("12.5")), S_OK);
    EXPECT_EQ(Get(u"minMass"), "R8 12.5");
    EXPECT_EQ(Put(u"minMass", Var("abc")), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr_, 0u);
    EXPECT_EQ(Get(u"minMass"), "R8 12.5");

    EXPECT_EQ(Put(u"Monoisotopic", Var(VT_I4, 0)), S_OK);
    // 65537 must not wrap round to 1.
    EXPECT_EQ(Put(u"Monoisotopic", Var(VT_I4, 65537)), DISP_E_OVERFLOW);
    EXPECT_EQ(Get(u"Monoisotopic"), "I2 0");
}

// Each member's own error texts are the object tests' business; here, that Invoke hands
// them on in EXCEPINFO and leaves the thread's error info in place.
TEST_F(Dispatch, FailingMembersFillExcepInfo) {
    EXPECT_EQ(Put(u"minMass", Var(VT_R8, -0.001)), DISP_E_EXCEPTION);
    EXPECT_EQ(excep_.scode, LUMBROOK_E_MINMASS);
    EXPECT_EQ(Utf8FromBstr(excep_.bstrSource), "Lumbrook");
    EXPECT_EQ(Utf8FromBstr(excep_.bstrDescription), "Minimum mass cannot be negative");
    EXPECT_EQ(SysStringLen(excep_.bstrHelpFile), 0u);
    EXPECT_EQ(testing::TakeErrorInfo().description, "Minimum mass cannot be negative");
}

TEST_F(Dispatch, MethodsRunAndMiscountedCallsAreRefused) {
    VARIANT result;
    VariantInit(&result);
    BSTR file = SysAllocString(u"x.qpk");
    VARIANT arg = lumbrook::testing::VarRef(VT_BSTR, &file);
    DISPPARAMS params{&arg, nullptr, 1, 0};
    // Without a connection DoExport answers false.
    EXPECT_EQ(dispatch_->Invoke(Id(u"DoExport"), GUID_NULL, 0, DISPATCH_METHOD, &params, &result,
                                &excep_, nullptr),
              S_OK);
    EXPECT_EQ(Describe(result), "BOOL 0");
    SysFreeString(file);

    // A call that fails before the member runs leaves the result alone.
    result = Var(VT_I4, 5);
    DISPPARAMS noArgs{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch_->Invoke(Id(u"DoExport"), GUID_NULL, 0, DISPATCH_METHOD, &noArgs, &result,
                                nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Describe(result), "I4 5");
    EXPECT_EQ(dispatch_->Invoke(Id(u"Cancel"), GUID_NULL, 0, DISPATCH_METHOD, &noArgs, nullptr,
                                nullptr, nullptr),
              S_OK);
}

TEST_F(Dispatch, MalformedCallsAreRefused) {
    VARIANT value = Var(VT_R8, 1);
    DISPPARAMS unnamed{&value, nullptr, 1, 0};
    EXPECT_EQ(dispatch_->Invoke(Id(u"minMass"), GUID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamed,
                                nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS readOnly{&value, &named, 1, 1};
    EXPECT_EQ(dispatch_->Invoke(Id(u"DllVersion"), GUID_NULL, 0, DISPATCH_PROPERTYPUT, &readOnly,
                                nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(dispatch_->Invoke(4242, GUID_NULL, 0, DISPATCH_PROPERTYGET, nullptr, nullptr, nullptr,
                                nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Get(u"DllVersion"), "BSTR 1.0.0");
}

}  // namespace
}  // namespace lumbrook::automation
