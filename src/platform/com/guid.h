// GUIDs in their text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lumbrook/com.h"

namespace lumbrook::platform {

// Upper-case text form with braces.
std::string GuidToString(const GUID& guid);

// Reads the text form, with or without braces, hex digits in either case; nullopt when the
// text is anything else.
std::optional<GUID> GuidFromString(std::string_view text);

// Whether the address of a GUID reference is in truth null: C hosts pass REFIID and REFCLSID
// as pointers, and a careless one passes NULL. Called with &reference; a compiler may take a
// reference's address as never null and drop a plain comparison, so this one is made where
// it cannot see through (and binding the reference on to another would itself be undefined).
bool IsNullGuid(const GUID* guid);

}  // namespace lumbrook::platform
