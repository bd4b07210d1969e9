// Helpers for the tests that drive the object: a fresh object, and the thread's error info as
// text (com_support.h).
#pragma once

#include "automation/lumbrook_object.h"
#include "lumbrook/com_ptr.h"
#include "support/com_support.h"

namespace lumbrook::automation::testing {

using lumbrook::testing::ErrorText;
using lumbrook::testing::TakeErrorInfo;

inline platform::ComPtr<_Lumbrook> NewObject() {
    return platform::ComPtr<_Lumbrook>::Adopt(static_cast<_Lumbrook*>(LumbrookObject::Create()));
}

}  // namespace lumbrook::automation::testing
