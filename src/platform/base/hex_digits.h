// Hexadecimal digits one at a time, for the text forms that spell bytes and numbers in hex:
// GUIDs, the registry file's hex: values and the reg command's binary data.
#pragma once

#include <cstdint>
#include <string>

namespace lumbrook::platform {

// The value of a hex digit (0-9, a-f, A-F), or -1 for any other character.
int HexDigitValue(char c);

// Whether digits a-f are written in lower or upper case.
enum class HexLetters { Lower, Upper };

// Appends the two digits of `byte`, high digit first ("0a", or "0A" with upper letters).
void AppendHexByte(std::string& out, std::uint8_t byte, HexLetters letters);

}  // namespace lumbrook::platform
