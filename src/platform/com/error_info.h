// Raising an automation error: an error object with source and description is put into the
// thread's error-info slot, and the caller returns the error's HRESULT.
#pragma once

#include <string_view>

#include "lumbrook/com.h"

namespace lumbrook::platform {

// Sets this thread's error info (source, description, no help file) and returns `hr`.
HRESULT RaiseError(HRESULT hr, std::string_view source, std::string_view description);

}  // namespace lumbrook::platform
