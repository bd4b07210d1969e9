// Reading the export's columns whatever type the provider gives them: SQLite hands back
// integers and doubles, an ODBC driver may hand back a NUMERIC column as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "database/value.h"

namespace lumbrook::exporting {

// A number column as a double: integers and doubles as they are, text that is a decimal
// number (as ODBC may give NUMERIC) read with a full stop. Null, dates and other text give
// nothing.
std::optional<double> NumberValue(const database::Value& value);

// An id column as an integer: integers, whole doubles and text of decimal digits. Anything
// else gives nothing, which the merge treats as an id no peak can have.
std::optional<std::int64_t> IdValue(const database::Value& value);

// Appends a value as the file's title and the export's SQL write it: text as stored,
// integers as digits, doubles as plain decimal text without rounding, dates as
// YYYY-MM-DD HH:MM:SS, null as nothing.
void AppendFieldText(std::string& out, const database::Value& value);

}  // namespace lumbrook::exporting
