// Numbers on the command line are decimal text: an optional sign, digits, and for a real
// number a decimal point and an exponent. CLI11 alone takes "0x10", "inf" and "nan" as
// numbers and reads "010" as octal; no user of this program means any of those.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace CLI {
class Validator;
}

namespace lumbrook::host {

// The finite number `text` gives in decimal, or nothing when it gives none: hexadecimal,
// "inf", "nan", spaces, other characters, or a value beyond the range of a double.
std::optional<double> ParseDecimal(std::string_view text);

// The whole number `text` gives in decimal (an optional sign and digits), or nothing when
// it gives none or one beyond the range of a long long.
std::optional<long long> ParseWholeDecimal(std::string_view text);

// Transforms for the options that take a number, on every value a repeated option gets: text
// that is not a decimal number is a usage error that names the option and the text; the
// number is handed on to CLI11 in a form it reads exactly as it was parsed here. A range
// check added after them sees that form. The value itself (a negative mass, say) is left to
// whoever takes it.
CLI::Validator DecimalNumber();
CLI::Validator WholeNumber();

// A double in its shortest decimal form that reads back as the same value.
std::string NumberText(double value);

}  // namespace lumbrook::host
