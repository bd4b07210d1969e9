#include <gtest/gtest.h>

#include <thread>

#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"
#include "platform/com/error_info.h"
#include "support/com_support.h"

namespace lumbrook::platform {
namespace {

TEST(ErrorInfo, RaiseFillsTheSlotAndGetEmptiesIt) {
    EXPECT_EQ(RaiseError(static_cast<HRESULT>(0x800403EC), "Lumbrook", "M\xC3\xBCller"),
              static_cast<HRESULT>(0x800403EC));
    const lumbrook::testing::ErrorText error = lumbrook::testing::TakeErrorInfo();
    EXPECT_EQ(error.source, "Lumbrook");
    EXPECT_EQ(error.description, "M\xC3\xBCller");
    EXPECT_EQ(error.helpFile, "");
    EXPECT_EQ(error.helpContext, 0u);
    ComPtr<IErrorInfo> again;
    EXPECT_EQ(GetErrorInfo(0, again.out()), S_FALSE);
    EXPECT_FALSE(again);
}

// RaiseError above goes through CreateErrorInfo and SetErrorInfo; here, what it leaves out.
TEST(ErrorInfo, CreatedObjectAnswersBothInterfaces) {
    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.out()), S_OK);
    ComPtr<IErrorInfo> read;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, read.out_void()), S_OK);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(read->QueryInterface(IID_IUnknown, unknown.out_void()), S_OK);
    ComPtr<IDispatch> none;
    EXPECT_EQ(read->QueryInterface(IID_IDispatch, none.out_void()), E_NOINTERFACE);
    EXPECT_FALSE(none);
}

TEST(ErrorInfo, SlotBelongsToTheThreadAndNullClearsIt) {
    RaiseError(E_FAIL, "main", "main thread");
    std::thread other([] {
        ComPtr<IErrorInfo> info;
        EXPECT_EQ(GetErrorInfo(0, info.out()), S_FALSE);
        RaiseError(E_FAIL, "other", "other thread");
    });
    other.join();
    ASSERT_EQ(SetErrorInfo(0, nullptr), S_OK);
    ComPtr<IErrorInfo> info;
    EXPECT_EQ(GetErrorInfo(0, info.out()), S_FALSE);
}

TEST(ErrorInfo, NullOutParametersAreRefused) {
    EXPECT_EQ(GetErrorInfo(0, nullptr), E_INVALIDARG);
    EXPECT_EQ(CreateErrorInfo(nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace lumbrook::platform
