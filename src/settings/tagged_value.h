// What a preference read returns: empty when nothing is stored, a string, or a 32-bit
// signed integer (a REG_DWORD value).
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace lumbrook::settings {

using TaggedValue = std::variant<std::monostate, std::string, std::int32_t>;

inline bool IsEmpty(const TaggedValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

// The value used as text: a string as it is, an integer as its decimal digits, empty as "".
inline std::string ToText(const TaggedValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return std::to_string(*number);
    return {};
}

}  // namespace lumbrook::settings
