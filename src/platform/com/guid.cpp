#include "platform/com/guid.h"

#include <cstdio>

#include "platform/base/hex_digits.h"

namespace lumbrook::platform {

std::string GuidToString(const GUID& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {

// Reads `digits` hex digits at `pos`, advancing it; false on anything but a hex digit.
bool ReadHex(std::string_view text, std::size_t& pos, int digits, unsigned long long& out) {
    out = 0;
    for (int i = 0; i < digits; ++i, ++pos) {
        if (pos >= text.size())
            return false;
        const int v = HexDigitValue(text[pos]);
        if (v < 0)
            return false;
        out = out * 16 + static_cast<unsigned>(v);
    }
    return true;
}

}  // namespace

std::optional<GUID> GuidFromString(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}')
            return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36)
        return std::nullopt;
    GUID g{};
    std::size_t pos = 0;
    unsigned long long v = 0;
    auto dash = [&] { return pos < text.size() && text[pos++] == '-'; };
    if (!ReadHex(text, pos, 8, v))
        return std::nullopt;
    g.Data1 = static_cast<uint32_t>(v);
    if (!dash() || !ReadHex(text, pos, 4, v))
        return std::nullopt;
    g.Data2 = static_cast<uint16_t>(v);
    if (!dash() || !ReadHex(text, pos, 4, v))
        return std::nullopt;
    g.Data3 = static_cast<uint16_t>(v);
    if (!dash())
        return std::nullopt;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !dash())
            return std::nullopt;
        if (!ReadHex(text, pos, 2, v))
            return std::nullopt;
        g.Data4[i] = static_cast<uint8_t>(v);
    }
    return g;
}

bool IsNullGuid(const GUID* guid) {
    // Read back through a volatile: its value is unknown to the compiler.
    const GUID* volatile address = guid;
    return address == nullptr;
}

}  // namespace lumbrook::platform
