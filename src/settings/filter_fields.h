// The "Filter" preference's text: minMass, maxMass, S2N and Monoisotopic, separated by ",".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/preferences.h"

namespace lumbrook::settings {

struct FilterValues {
    double minMass = kDefaultMinMass;
    double maxMass = kDefaultMaxMass;
    double s2n = kDefaultS2N;
    std::int16_t monoisotopic = kDefaultMonoisotopic;
};

// Reads each field as the number at its start (ReadLeadingNumber): blanks, tabs and line
// feeds inside are ignored, a field that does not start with a number reads as 0, and the
// fourth is rounded, halves to even. Fields beyond the fourth are ignored and the values are
// not validated. A missing field, a number too large for a double, and a fourth field
// outside -32768..32767 take that field's default, so that one bad preference cannot keep
// the object from being created.
FilterValues ReadFilterFields(std::string_view text);

// Why `text` is not a "Filter" text to store, "" when it is: four fields separated by ",",
// each a plain decimal number (digits with an optional fraction, blanks around it allowed) as
// the properties take them, finite, and the fourth 0 or 1. A stored text of that form reads
// back as exactly the values given.
std::string FilterTextProblem(std::string_view text);

}  // namespace lumbrook::settings
