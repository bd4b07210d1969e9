// Text to numbers, for the values of preferences. "." is the decimal point whatever the
// locale; an exponent (e or E) and the prefixes &H (hexadecimal) and &O (octal) are
// understood.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lumbrook::settings {

// The number at the start of `text`. Blanks, tabs and line feeds anywhere in the text are
// ignored; reading stops at the first character that cannot continue the number, and a text
// that does not start with a number reads as 0. nullopt when the number is too large for a
// double.
std::optional<double> ReadLeadingNumber(std::string_view text);

// The whole text as a number, blanks and tabs around it allowed; nullopt when anything else
// is in the text or the number is too large for a double.
std::optional<double> ReadWholeNumber(std::string_view text);

// Rounded to the nearest integer, halves to the even neighbour (whatever the floating-point
// rounding mode); nullopt when the result does not fit the type.
std::optional<std::int32_t> RoundToInt32(double value);
std::optional<std::int16_t> RoundToInt16(double value);

}  // namespace lumbrook::settings
