// Helpers for the tests that drive the object: a fresh object, the thread's error info as
// text, and a process without a display.
#pragma once

#include <cstdlib>  // unsetenv
#include <string>

#include "automation/lumbrook_object.h"
#include "lumbrook/bstr.h"
#include "lumbrook/com_ptr.h"

namespace lumbrook::automation::testing {

inline platform::ComPtr<_Lumbrook> NewObject() {
    return platform::ComPtr<_Lumbrook>::Adopt(static_cast<_Lumbrook*>(LumbrookObject::Create()));
}

struct ErrorText {
    bool present = false;
    std::string source;
    std::string description;
};

// Takes the thread's error info (and so clears it).
inline ErrorText TakeErrorInfo() {
    ErrorText result;
    platform::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info)
        return result;
    result.present = true;
    platform::Bstr source;
    platform::Bstr description;
    info->GetSource(source.out());
    info->GetDescription(description.out());
    result.source = source.Utf8();
    result.description = description.Utf8();
    return result;
}

// Makes sure the browser finds no display, whatever the machine running the test has.
inline void ForgetTheDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        unsetenv(name);
}

}  // namespace lumbrook::automation::testing
