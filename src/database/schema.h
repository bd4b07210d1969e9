// The schema of our own 4000 Series databases, as the SQL text committed under
// src/database/schema/ and embedded at build time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumbrook::database {

enum class SchemaDialect { SQLite, PostgreSQL };

// The base tables, their indexes, JOB_RUN_ITEM_VIEW and PEAK_VIEW.
std::string_view SchemaText(SchemaDialect dialect);
// BASE_JOB_RUN_ITEM_VIEW and BASE_PEAK_VIEW (with APEX), an optional addition; one text
// serves both dialects.
std::string_view BaseViewsText(SchemaDialect dialect);

// Splits schema text into its statements: each ends with ";" at the end of a line, and
// lines that start with "--" are comments. The statements come without the ";".
std::vector<std::string> SplitStatements(std::string_view text);

}  // namespace lumbrook::database
