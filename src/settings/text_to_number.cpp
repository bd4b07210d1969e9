#include "settings/text_to_number.h"

#include <algorithm>
#include <charconv>  // from_chars: decimal text to double without the locale
#include <cmath>
#include <limits>
#include <string>

#include "platform/base/hex_digits.h"
#include "platform/base/round_half_even.h"

namespace lumbrook::settings {
namespace {

// Exponents are clamped to this size while they are read: anything beyond is far outside a
// double's range either way, and the clamp keeps the arithmetic from overflowing.
constexpr long kExponentClamp = 100000;

// What a scan found at the start of a text.
struct Scan {
    std::optional<double> value;  // nullopt: too large
    std::size_t length = 0;       // characters that belong to the number; 0 when none do
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of `c` as a digit of base `radix` (8 or 16), or -1 when it is none.
int DigitValue(char c, int radix) {
    const int digit = platform::HexDigitValue(c);
    return digit < radix ? digit : -1;
}

// Reads the digits of base `radix` after a two-character prefix (&H or &O). A prefix without
// digits is no number. The digits are summed in double, so a long run of them loses
// precision the way a double does rather than failing.
Scan ScanRadix(std::string_view text, int radix) {
    Scan scan;
    double value = 0;
    std::size_t i = 2;
    for (; i < text.size() && DigitValue(text[i], radix) >= 0; ++i)
        value = value * radix + DigitValue(text[i], radix);
    if (i == 2)
        return Scan{0.0, 0};
    scan.length = i;
    if (std::isfinite(value))
        scan.value = value;
    return scan;
}

// Reads a decimal number: a sign, digits with at most one ".", and an exponent that only
// belongs to the number when digits follow its "e". The digits are handed to from_chars in
// a normal form, so the result is the double nearest to the text, independent of the locale.
Scan ScanDecimal(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string digits;   // the mantissa's digits, without the decimal point
    long pointShift = 0;  // how many of them stand after the point
    std::size_t mantissaDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits)
        digits += text[i];
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits, ++pointShift)
            digits += text[i];
    }
    if (mantissaDigits == 0)
        return Scan{0.0, 0};
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            negativeExponent = text[j++] == '-';
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent = std::min(exponent * 10 + (text[j] - '0'), kExponentClamp);
            if (negativeExponent)
                exponent = -exponent;
            i = j;
        }
        // An "e" without digits does not belong to the number.
    }
    // Leading zeros carry nothing; what is left decides the magnitude.
    const std::size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return Scan{negative ? -0.0 : 0.0, i};
    digits.erase(0, firstSignificant);
    const long decimalExponent = exponent - pointShift;
    const std::string normal = digits + "e" + std::to_string(decimalExponent);
    double value = 0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    (void)end;
    Scan scan;
    scan.length = i;
    if (error == std::errc::result_out_of_range) {
        // Out of range one way or the other: the digits' magnitude tells which.
        const long magnitude = static_cast<long>(digits.size()) - 1 + decimalExponent;
        if (magnitude < 0)
            scan.value = negative ? -0.0 : 0.0;
        return scan;
    }
    scan.value = negative ? -value : value;
    return scan;
}

// Reads the number at the start of `text` in whichever of the three notations it starts with.
Scan ScanNumber(std::string_view text) {
    if (text.size() >= 2 && text[0] == '&') {
        if (text[1] == 'H' || text[1] == 'h')
            return ScanRadix(text, 16);
        if (text[1] == 'O' || text[1] == 'o')
            return ScanRadix(text, 8);
        return Scan{0.0, 0};
    }
    return ScanDecimal(text);
}

// `value` rounded half to even, then nullopt when it is not finite or does not fit `Int`.
template <typename Int>
std::optional<Int> RoundTo(double value) {
    const double rounded = platform::RoundHalfEven(value);
    if (!std::isfinite(rounded) || rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> ReadLeadingNumber(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            kept += c;
    }
    return ScanNumber(kept).value;
}

std::optional<double> ReadWholeNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    const Scan scan = ScanNumber(text);
    if (scan.length == 0 || scan.length != text.size())
        return std::nullopt;
    return scan.value;
}

std::optional<std::int32_t> RoundToInt32(double value) {
    return RoundTo<std::int32_t>(value);
}

std::optional<std::int16_t> RoundToInt16(double value) {
    return RoundTo<std::int16_t>(value);
}

}  // namespace lumbrook::settings
