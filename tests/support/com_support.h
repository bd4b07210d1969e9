// For the tests of the COM layer and of what is built on it: VARIANTs made in one call and
// shown as text ("R8 12.5", "BSTR MS"), so that a test compares type and value at once; and
// the thread's error info as text.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"

namespace lumbrook::testing {

// A VT_I2, VT_I4, VT_BOOL or VT_R8 holding `value`; a VT_BSTR holding a new BSTR of `text`,
// which VariantClear frees; `type` | VT_BYREF pointing at `target`.
inline VARIANT Var(VARTYPE type, double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = type;
    if (type == VT_I2 || type == VT_BOOL)
        v.u.iVal = static_cast<SHORT>(value);
    else if (type == VT_I4)
        v.u.lVal = static_cast<LONG>(value);
    else
        v.u.dblVal = value;
    return v;
}
inline VARIANT Var(const std::string& text) {
    VARIANT v = Var(VT_BSTR, 0);
    v.u.bstrVal = platform::BstrFromUtf8(text);
    return v;
}
inline VARIANT VarRef(VARTYPE type, void* target) {
    VARIANT v = Var(static_cast<VARTYPE>(type | VT_BYREF), 0);
    v.u.byref = target;
    return v;
}

inline std::string Describe(const VARIANT& v) {
    std::ostringstream text;
    if (v.vt == VT_I2 || v.vt == VT_BOOL)
        text << (v.vt == VT_I2 ? "I2 " : "BOOL ") << v.u.iVal;
    else if (v.vt == VT_I4)
        text << "I4 " << v.u.lVal;
    else if (v.vt == VT_R8)
        text << "R8 " << v.u.dblVal;
    else if (v.vt == VT_BSTR)
        text << "BSTR " << platform::Utf8FromBstr(v.u.bstrVal);
    else
        text << "type " << v.vt;
    return text.str();
}

struct ErrorText {
    std::string source;
    std::string description;
    std::string helpFile;
    DWORD helpContext = 0;
};

// Takes the thread's error info (and so clears it); empty texts when there is none.
inline ErrorText TakeErrorInfo() {
    ErrorText result;
    platform::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info)
        return result;
    platform::Bstr source;
    platform::Bstr description;
    platform::Bstr helpFile;
    EXPECT_EQ(info->GetSource(source.out()), S_OK);
    EXPECT_EQ(info->GetDescription(description.out()), S_OK);
    EXPECT_EQ(info->GetHelpFile(helpFile.out()), S_OK);
    result.helpContext = 99;  // so that a call that writes nothing shows
    EXPECT_EQ(info->GetHelpContext(&result.helpContext), S_OK);
    result.source = source.Utf8();
    result.description = description.Utf8();
    result.helpFile = helpFile.Utf8();
    return result;
}

}  // namespace lumbrook::testing
