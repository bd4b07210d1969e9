// One field value read from the database: null, integer, double, text or date-time.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace lumbrook::database {

// A date and time as the database gives it, without time zone.
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// std::monostate is SQL NULL.
using Value = std::variant<std::monostate, std::int64_t, double, std::string, DateTime>;

inline bool IsNull(const Value& value) {
    return std::holds_alternative<std::monostate>(value);
}

}  // namespace lumbrook::database
