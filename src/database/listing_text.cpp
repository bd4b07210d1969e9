#include "database/listing_text.h"

#include <clocale>
#include <cstdio>
#include <ctime>
#include <string_view>

namespace lumbrook::database {

std::string DisplayText(const Value& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return std::to_string(*integer);
    if (const auto* real = std::get_if<double>(&value)) {
        // As the platform writes a double, without an exponent for the masses and times a
        // list shows.
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", *real);
        return text;
    }
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* when = std::get_if<DateTime>(&value)) {
        std::tm parts{};
        parts.tm_year = when->year - 1900;
        parts.tm_mon = when->month - 1;
        parts.tm_mday = when->day;
        parts.tm_hour = when->hour;
        parts.tm_min = when->minute;
        parts.tm_sec = when->second;
        parts.tm_isdst = -1;
        // The C locale's "%x" has a two-digit year and no order a reader can tell: there the
        // date is written as ISO 8601 has it.
        const std::string_view locale = std::setlocale(LC_TIME, nullptr);
        const bool plain = locale == "C" || locale == "POSIX" || locale.starts_with("C.");
        char text[128];
        const std::size_t length =
            std::strftime(text, sizeof text, plain ? "%Y-%m-%d %H:%M:%S" : "%x %X", &parts);
        return std::string(text, length);
    }
    return {};  // NULL
}

std::string JobRunEntryText(long position, const Value& jobRunId, const Value& finishTime,
                            const Value& opMode) {
    return std::to_string(position) + ": Job run " + DisplayText(jobRunId) + "; " +
           DisplayText(finishTime) + "; " + DisplayText(opMode);
}

}  // namespace lumbrook::database
