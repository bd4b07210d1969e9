#include "export/field_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "export/number_to_text.h"

namespace lumbrook::exporting {
namespace {

// Whole-text parse of a number; from_chars knows no locale, so "." is always the point.
template <typename T>
std::optional<T> Parse(const std::string& text) {
    T number{};
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;  // from_chars takes no plus sign; some drivers write one
    const auto result = std::from_chars(begin, end, number);
    if (begin == end || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return number;
}

// The largest double below which every whole double converts to int64 exactly.
constexpr double kInt64Limit = 9223372036854775808.0;

}  // namespace

std::optional<double> NumberValue(const database::Value& value) {
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return static_cast<double>(*integer);
    if (const auto* text = std::get_if<std::string>(&value))
        return Parse<double>(*text);
    return std::nullopt;
}

std::optional<std::int64_t> IdValue(const database::Value& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return *integer;
    if (const auto* number = std::get_if<double>(&value)) {
        if (std::trunc(*number) == *number && std::fabs(*number) < kInt64Limit)
            return static_cast<std::int64_t>(*number);
        return std::nullopt;
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return Parse<std::int64_t>(*text);
    return std::nullopt;
}

void AppendFieldText(std::string& out, const database::Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        out += *text;
    } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        AppendInteger(out, *integer);
    } else if (const auto* number = std::get_if<double>(&value)) {
        out += NumberText(*number);
    } else if (const auto* date = std::get_if<database::DateTime>(&value)) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date->year, date->month,
                      date->day, date->hour, date->minute, date->second);
        out += text;
    }
    // Null: nothing, as the file writes a null column.
}

}  // namespace lumbrook::exporting
