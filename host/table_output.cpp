#include "table_output.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "lumbrook/utf16.h"

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

std::string JsonString(const std::string& text) {
    // JSON is UTF-8. The text is read by the binary interface's own decoding: what is not a
    // character there (a byte that is not UTF-8, a surrogate alone) becomes U+FFFD.
    const std::u16string wide = platform::Utf8ToUtf16(text);
    std::string out = "\"";
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            out += platform::Utf16ToUtf8(std::u16string_view(wide).substr(i++, 2));
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += "\xEF\xBF\xBD";
            continue;
        }
        switch (unit) {
            case u'"':
                out += "\\\"";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\t':
                out += "\\t";
                break;
            default:
                if (unit < 0x20 || unit == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(unit));
                    out += escape;
                } else {
                    out += platform::Utf16ToUtf8(std::u16string_view(&unit, 1));
                }
        }
    }
    return out + "\"";
}

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
        out << (r > 0 ? ",\n {" : "\n {");
        const auto& row = table.rows[r];
        for (std::size_t i = 0; i < row.size(); ++i) {
            out << (i > 0 ? ", " : "") << JsonString(table.columns[i]) << ": ";
            const Cell& cell = row[i];
            if (cell.kind == 'I') {
                out << cell.text;
            } else if (cell.kind == 'R') {
                // Infinity and NaN have no JSON number.
                char* end = nullptr;
                const double value = std::strtod(cell.text.c_str(), &end);
                out << (value - value == 0 ? cell.text : "null");
            } else if (cell.kind == 'N') {
                out << "null";
            } else {
                out << JsonString(cell.text);
            }
        }
        out << "}";
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
