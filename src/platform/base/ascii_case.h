// Comparison of names without regard to the case of ASCII letters, the way the platform
// compares registry names, member names and connection-string keys. Only A-Z and a-z are
// folded; every other byte (UTF-8 included) must match exactly. The C library's tolower
// and strcasecmp are not used on purpose: they follow the C locale, which Qt sets from the
// environment once a window has been shown, so a name could match or not depending on the
// user's language.
#pragma once

#include <string_view>

namespace lumbrook::platform {

// `c` with an upper-case ASCII letter made lower case; any other byte unchanged.
constexpr char FoldAsciiCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `a` and `b` have the same length and differ at most in the case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when `part` occurs in `text`, letters matched without regard to ASCII case.
bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part);

// Orders `a` before `b` byte by byte after folding ASCII letters, comparing bytes as unsigned
// so the order does not depend on char's signedness; a proper prefix comes first.
bool LessIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace lumbrook::platform
