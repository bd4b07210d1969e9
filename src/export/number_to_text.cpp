#include "export/number_to_text.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>  // std::atoi for the exponent of the %e text

#include "platform/base/round_half_even.h"

namespace lumbrook::exporting {
namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Integers below this have at most 15 digits, so the decimal they stand for, with the point
// put back, is exactly what 15 significant digits of the divided double would give.
constexpr double kFifteenDigitLimit = 1e15;

// Appends a finite `value` with 15 significant digits in plain notation. "%.14e" gives the
// exactly rounded digits of the binary value and its exponent; the point is then moved by
// hand, since %f or %g would print trailing zeros or an exponent.
void AppendSignificant(std::string& out, double value) {
    if (value == 0) {
        out += '0';  // also -0: zero has no sign
        return;
    }
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.*e", kSignificantDigits - 1, value);
    assert(length > 0 && static_cast<std::size_t>(length) < sizeof text);
    (void)length;
    const char* p = text;
    if (*p == '-') {
        out += '-';
        ++p;
    }
    // p: d.dddddddddddddde[+-]x
    char digits[kSignificantDigits];
    digits[0] = p[0];
    for (int i = 1; i < kSignificantDigits; ++i)
        digits[i] = p[i + 1];
    const int exponent = std::atoi(p + kSignificantDigits + 2);
    int count = kSignificantDigits;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    if (exponent >= 0) {
        const int wholeDigits = exponent + 1;
        if (count <= wholeDigits) {
            out.append(digits, static_cast<std::size_t>(count));
            out.append(static_cast<std::size_t>(wholeDigits - count), '0');
        } else {
            out.append(digits, static_cast<std::size_t>(wholeDigits));
            out += '.';
            out.append(digits + wholeDigits, static_cast<std::size_t>(count - wholeDigits));
        }
    } else {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(digits, static_cast<std::size_t>(count));
    }
}

// Appends the integer `scaled` (|scaled| < 1e15) divided by 10^decimals, with the point put
// in by hand. This is the common case of every peak line and avoids formatting a double.
void AppendScaledInteger(std::string& out, double scaled, int decimals) {
    auto whole = static_cast<std::int64_t>(scaled);
    if (whole == 0) {
        out += '0';
        return;
    }
    if (whole < 0) {
        out += '-';
        whole = -whole;
    }
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, whole);
    int length = static_cast<int>(result.ptr - digits);
    int fraction = decimals;
    while (fraction > 0 && digits[length - 1] == '0') {
        --length;
        --fraction;
    }
    const int wholeDigits = length - fraction;
    if (wholeDigits <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-wholeDigits), '0');
        out.append(digits, static_cast<std::size_t>(length));
        return;
    }
    out.append(digits, static_cast<std::size_t>(wholeDigits));
    if (fraction > 0) {
        out += '.';
        out.append(digits + wholeDigits, static_cast<std::size_t>(fraction));
    }
}

}  // namespace

void AppendRoundedNumber(std::string& out, double value, int decimals) {
    assert(decimals >= 0 && decimals <= kSignificantDigits);
    if (!std::isfinite(value))
        return;
    const double scale = kPowersOfTen[decimals];
    const double scaled = value * scale;
    if (!std::isfinite(scaled)) {
        // So large that it has no decimal places to round away.
        AppendSignificant(out, value);
        return;
    }
    const double rounded = platform::RoundHalfEven(scaled);
    if (std::fabs(rounded) < kFifteenDigitLimit) {
        AppendScaledInteger(out, rounded, decimals);
        return;
    }
    AppendSignificant(out, rounded / scale);
}

std::string RoundedNumberText(double value, int decimals) {
    std::string text;
    AppendRoundedNumber(text, value, decimals);
    return text;
}

std::string NumberText(double value) {
    std::string text;
    if (std::isfinite(value))
        AppendSignificant(text, value);
    return text;
}

void AppendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

std::string IntegerText(std::int64_t value) {
    std::string text;
    AppendInteger(text, value);
    return text;
}

}  // namespace lumbrook::exporting
