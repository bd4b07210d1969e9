#include "table_output.h"

#include <charconv>
#include <cstdlib>

#include "json_text.h"

namespace lumbrook::host {
namespace {

// Characters in UTF-8 text: every byte but the continuation bytes.
std::size_t Width(const std::string& text) {
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return width;
}

std::string Blanked(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

std::string DisplayText(const Cell& cell) {
    if (cell.kind == 'D' && cell.text.size() > 10 && cell.text[10] == 'T')
        return cell.text.substr(0, 10) + " " + cell.text.substr(11);
    return cell.text;
}

}  // namespace

void WriteText(std::ostream& out, const Table& table) {
    std::vector<std::size_t> widths;
    for (const std::string& name : table.columns)
        widths.push_back(Width(name));
    for (const auto& row : table.rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], Width(Blanked(DisplayText(row[i]))));
    }
    const auto line = [&](const auto& cellText, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string value = cellText(i);
            text += value;
            if (i + 1 < count)
                text += std::string(widths[i] - Width(value) + 2, ' ');
        }
        text.erase(text.find_last_not_of(' ') + 1);  // no blanks after an empty last value
        out << text << "\n";
    };
    line([&](std::size_t i) { return table.columns[i]; }, table.columns.size());
    for (const auto& row : table.rows)
        line([&](std::size_t i) { return Blanked(DisplayText(row[i])); }, row.size());
}

void WriteTsv(std::ostream& out, const Table& table) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        out << (i > 0 ? "\t" : "") << Blanked(table.columns[i]);
    out << "\n";
    for (const auto& row : table.rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            out << (i > 0 ? "\t" : "") << Blanked(row[i].text);
        out << "\n";
    }
}

void WriteJson(std::ostream& out, const Table& table) {
    out << "[";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const auto& row = table.rows[r];
        Json object = Json::object();
        for (std::size_t i = 0; i < row.size(); ++i) {
            const Cell& cell = row[i];
            Json& value = object[table.columns[i]];
            long long integer = 0;
            const char* end = cell.text.data() + cell.text.size();
            if (cell.kind == 'I' && std::from_chars(cell.text.data(), end, integer).ptr == end) {
                value = integer;
            } else if (cell.kind == 'R') {
                // Infinity and NaN have no JSON number.
                const double real = std::strtod(cell.text.c_str(), nullptr);
                value = real - real == 0 ? Json(real) : Json(nullptr);
            } else if (cell.kind != 'N') {
                value = cell.text;
            }
        }
        out << (r > 0 ? ",\n " : "\n ") << JsonText(object);
    }
    out << (table.rows.empty() ? "]\n" : "\n]\n");
}

void WriteTable(std::ostream& out, const Table& table, TableFormat format) {
    switch (format) {
        case TableFormat::Text:
            WriteText(out, table);
            break;
        case TableFormat::Tsv:
            WriteTsv(out, table);
            break;
        case TableFormat::Json:
            WriteJson(out, table);
            break;
    }
}

}  // namespace lumbrook::host
