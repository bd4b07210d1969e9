#include "platform/base/hex_digits.h"

namespace lumbrook::platform {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string& out, std::uint8_t byte, HexLetters letters) {
    const char* digits = letters == HexLetters::Lower ? "0123456789abcdef" : "0123456789ABCDEF";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

}  // namespace lumbrook::platform
