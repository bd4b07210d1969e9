#include "database/schema.h"

#include "database/schema_text.h"

namespace lumbrook::database {

std::string_view SchemaText(SchemaDialect dialect) {
    // The dialect's tables, then the views both dialects share; joined once, on first use.
    static const std::string sqlite =
        std::string(schema_text::kSqlite) + "\n" + std::string(schema_text::kViews);
    static const std::string postgresql =
        std::string(schema_text::kPostgresql) + "\n" + std::string(schema_text::kViews);
    return dialect == SchemaDialect::SQLite ? sqlite : postgresql;
}

std::string_view BaseViewsText(SchemaDialect /*dialect*/) {
    return schema_text::kBaseViews;  // plain SQL that both dialects read alike
}

std::vector<std::string> SplitStatements(std::string_view text) {
    std::vector<std::string> statements;
    std::string current;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line.substr(first, 2) == "--")
            continue;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.remove_suffix(1);
        if (!line.empty() && line.back() == ';') {
            current += line.substr(0, line.size() - 1);
            statements.push_back(std::move(current));
            current.clear();
        } else {
            current += line;
            current += '\n';
        }
    }
    // Text after the last ";" is a statement too.
    if (current.find_first_not_of(" \t\r\n") != std::string::npos)
        statements.push_back(std::move(current));
    return statements;
}

}  // namespace lumbrook::database
