// The three forms `lumbrook list` writes a table in: aligned columns for people, tab
// separated values and JSON for scripts.
#pragma once

#include <ostream>
#include <string>

#include "listing.h"

namespace lumbrook::host {

enum class TableFormat { Text, Tsv, Json };

// Aligned columns under a header of column names, dates as "YYYY-MM-DD HH:MM:SS", NULL as
// nothing. Widths count characters, not bytes, so non-ASCII names line up.
void WriteText(std::ostream& out, const Table& table);
// A header line of column names, then a line a row; tabs and line breaks inside values
// are written as blanks, NULL as nothing, dates in ISO 8601.
void WriteTsv(std::ostream& out, const Table& table);
// One array of objects keyed by the column names; numbers as numbers, dates as ISO 8601
// strings, NULL as null.
void WriteJson(std::ostream& out, const Table& table);

void WriteTable(std::ostream& out, const Table& table, TableFormat format);

}  // namespace lumbrook::host
