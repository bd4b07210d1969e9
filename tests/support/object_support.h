// Helpers for the tests that drive the object: a fresh object and the thread's error info as
// text.
#pragma once

#include <string>

#include "automation/lumbrook_object.h"
#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"

namespace lumbrook::automation::testing {

inline platform::ComPtr<_Lumbrook> NewObject() {
    return platform::ComPtr<_Lumbrook>::Adopt(static_cast<_Lumbrook*>(LumbrookObject::Create()));
}

struct ErrorText {
    std::string source;
    std::string description;
};

// Takes the thread's error info (and so clears it).
inline ErrorText TakeErrorInfo() {
    ErrorText result;
    platform::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info)
        return result;
    platform::Bstr source;
    platform::Bstr description;
    info->GetSource(source.out());
    info->GetDescription(description.out());
    result.source = source.Utf8();
    result.description = description.Utf8();
    return result;
}

}  // namespace lumbrook::automation::testing
