#include "number_options.h"

#include <CLI/CLI.hpp>
#include <charconv>  // from_chars, to_chars: decimal and hexadecimal whatever the locale
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace lumbrook::host {
namespace {

// `text` without one leading "+", which from_chars does not take; a sign after it stays and
// is refused.
std::string_view WithoutPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
    text = WithoutPlus(text);
    // from_chars would take "inf", "infinity" and "nan" too; the characters of decimal text
    // leave them out, and hexadecimal is only read with chars_format::hex.
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> ParseWholeDecimal(std::string_view text) {
    text = WithoutPlus(text);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

CLI::Validator DecimalNumber() {
    return CLI::Validator(
        [](std::string& text) {
            const std::optional<double> value = ParseDecimal(text);
            if (!value)
                return "'" + text + "' is not a finite decimal number";
            // CLI11 reads the text with strtold and rounds that to a double; a decimal text
            // would be rounded twice, the exact binary form given here is not rounded at all.
            char buffer[64] = "-0x";
            char* const digits = buffer + 3;
            const auto written = std::to_chars(digits, buffer + sizeof buffer, std::fabs(*value),
                                               std::chars_format::hex);
            text.assign(std::signbit(*value) ? buffer : buffer + 1, written.ptr);
            return std::string();
        },
        "");
}

CLI::Validator WholeNumber() {
    return CLI::Validator(
        [](std::string& text) {
            const std::optional<long long> value = ParseWholeDecimal(text);
            if (!value)
                return "'" + text + "' is not a whole number in decimal";
            text = std::to_string(*value);  // no leading zero: CLI11 would read it as octal
            return std::string();
        },
        "");
}

std::string NumberText(double value) {
    char text[32];
    // The shortest of %.15g..%.17g that reads back unchanged; %.17g always does.
    for (int precision = 15; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}

}  // namespace lumbrook::host
