#include "settings/filter_fields.h"

#include <vector>

#include "settings/text_to_number.h"

namespace lumbrook::settings {
namespace {

// The text's fields between commas; an empty text has none.
std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    if (text.empty())
        return fields;
    while (true) {
        const std::size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            return fields;
        text.remove_prefix(comma + 1);
    }
}

// Sets `out` to the number at the start of field `index`; leaves the default there when the
// field is missing or its number is too large for a double.
void ReadField(const std::vector<std::string_view>& fields, std::size_t index, double& out) {
    if (index < fields.size()) {
        if (const auto number = ReadLeadingNumber(fields[index]))
            out = *number;
    }
}

}  // namespace

FilterValues ReadFilterFields(std::string_view text) {
    const std::vector<std::string_view> fields = SplitFields(text);
    FilterValues values;
    ReadField(fields, 0, values.minMass);
    ReadField(fields, 1, values.maxMass);
    ReadField(fields, 2, values.s2n);
    if (fields.size() > 3) {
        const auto number = ReadLeadingNumber(fields[3]);
        const auto rounded = number ? RoundToInt16(*number) : std::nullopt;
        if (rounded)
            values.monoisotopic = *rounded;
    }
    return values;
}

}  // namespace lumbrook::settings
