// Conversion between the program's UTF-8 text and the UTF-16 text of a BSTR.
//
// Both directions keep every character: valid text round-trips exactly, and so do lone
// UTF-16 surrogates, which are carried through UTF-8 in their three-byte form. Only bytes
// that are not UTF-8 at all become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace lumbrook::platform {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace lumbrook::platform
