// Numbers to text, as the peak list file and the export's SQL write them: plain decimal with
// a full stop, up to 15 significant digits, no exponent, no trailing zeros, no trailing
// point, a minus sign for negatives and none for zero.
#pragma once

#include <cstdint>
#include <string>

namespace lumbrook::exporting {

// The most significant digits a number's text carries. Every decimal of at most 15
// significant digits survives the trip to double and back, so 15 is what a double can
// promise to hold.
inline constexpr int kSignificantDigits = 15;

// Rounds `value` to `decimals` places (0 to 15) the way the file needs it: multiply by ten to
// the power `decimals` in double arithmetic, round half to even, divide again; then writes it
// as plain decimal text. A non-finite value has no decimal text and gives "" (as a null does).
std::string RoundedNumberText(double value, int decimals);

// Appends RoundedNumberText(value, decimals) to `out`, without a temporary string: the peak
// lines call this twice a peak.
void AppendRoundedNumber(std::string& out, double value, int decimals);

// The same text without the rounding: what the export puts into its SQL. 0.1 gives "0.1",
// 60 gives "60", 1e-7 gives "0.0000001".
std::string NumberText(double value);

// An integer as plain decimal digits, as a new text or appended to `out`.
std::string IntegerText(std::int64_t value);
void AppendInteger(std::string& out, std::int64_t value);

}  // namespace lumbrook::exporting
