// Rounding to a whole number with halves going to the even neighbour (0.5 -> 0, 1.5 -> 2,
// 2.5 -> 2, -2.5 -> -2): the rounding of the platform's conversions to integers, of numbers
// read from preferences and of the numbers the peak list file writes. It is worked out with
// floor and a comparison, so a library that changes the floating-point rounding mode cannot
// change what is read or written.
#pragma once

#include <cmath>

namespace lumbrook::platform {

// `value` rounded to a whole number, halves to even: exactly what nearbyint gives in the
// default rounding mode, the sign of a zero result included. Infinities and NaN come back as
// they are. Inline: the peak list file rounds two numbers a peak.
inline double RoundHalfEven(double value) {
    const double whole = std::floor(value);
    // Exact, but for a negative value above -0.5, where the difference may round up to 0.5
    // or above: that value then rounds to zero all the same, from a floor of -1 (odd).
    const double fraction = value - whole;
    double rounded = whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        rounded = whole + 1;
    // -0.3 rounds to -0, as nearbyint has it, not to the +0 that -1 + 1 gives.
    return rounded == 0 ? std::copysign(0.0, value) : rounded;
}

}  // namespace lumbrook::platform
