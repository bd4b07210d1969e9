#include "platform/base/ascii_case.h"

#include <algorithm>

namespace lumbrook::platform {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAsciiCase(x) == FoldAsciiCase(y);
           });
}

bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char x, char y) {
               return FoldAsciiCase(x) == FoldAsciiCase(y);
           }) != text.end();
}

bool LessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(FoldAsciiCase(x)) <
               static_cast<unsigned char>(FoldAsciiCase(y));
    });
}

}  // namespace lumbrook::platform
