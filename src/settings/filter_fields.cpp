#include "settings/filter_fields.h"

#include <cmath>
#include <cstdlib>
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

std::string FilterTextProblem(std::string_view text) {
    static constexpr const char* kNames[] = {"minMass", "maxMass", "S2N", "Monoisotopic"};
    const std::vector<std::string_view> fields = SplitFields(text);
    if (fields.size() != 4)
        return "the filter is four numbers minMass,maxMass,S2N,Monoisotopic; " +
               std::to_string(fields.size()) + " fields were given";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string_view field = fields[i];
        while (!field.empty() && field.front() == ' ')
            field.remove_prefix(1);
        while (!field.empty() && field.back() == ' ')
            field.remove_suffix(1);
        const std::size_t point = field.find('.');
        const auto digits = [](std::string_view part) {
            return part.find_first_not_of("0123456789") == std::string_view::npos;
        };
        const bool decimal = !field.empty() && field != "." && digits(field.substr(0, point)) &&
                             (point == std::string_view::npos || digits(field.substr(point + 1)));
        const std::string value(field);
        if (!decimal || !std::isfinite(std::strtod(value.c_str(), nullptr)))
            return std::string(kNames[i]) + " is not a plain decimal number: '" + value + "'";
        if (i == 3 && value != "0" && value != "1")
            return "Monoisotopic is 0 or 1, not " + value;
    }
    return {};
}

}  // namespace lumbrook::settings
