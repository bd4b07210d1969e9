#include "table_output.h"

#include <cstdio>
#include <cstdlib>

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

// The length of the well-formed UTF-8 character at `p` (at most `left` bytes), or 0 when the
// bytes there are not one: a stray continuation byte, an overlong form, a surrogate, a value
// beyond U+10FFFF or a sequence cut short.
std::size_t Utf8Length(const unsigned char* p, std::size_t left) {
    const unsigned char c = p[0];
    std::size_t length = 0;
    char32_t cp = 0;
    if (c < 0x80)
        return 1;
    if ((c & 0xE0) == 0xC0)
        length = 2, cp = c & 0x1F;
    else if ((c & 0xF0) == 0xE0)
        length = 3, cp = c & 0x0F;
    else if ((c & 0xF8) == 0xF0)
        length = 4, cp = c & 0x07;
    if (length == 0 || left < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    const char32_t min = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char byte = bytes[i];
        if (byte >= 0x80) {
            // JSON is UTF-8: a byte that is not part of a character becomes U+FFFD.
            const std::size_t length = Utf8Length(bytes + i, text.size() - i);
            out += length == 0 ? std::string("\xEF\xBF\xBD") : text.substr(i, length);
            i += length == 0 ? 1 : length;
            continue;
        }
        ++i;
        switch (byte) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                    out += escape;
                } else {
                    out += static_cast<char>(byte);
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
