#include "database/connection_string.h"

#include <cctype>

#include "database/database_error.h"

namespace lumbrook::database {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace

bool KeysEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

ConnectionString ConnectionString::Parse(std::string_view text) {
    ConnectionString result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const std::size_t equals = text.find_first_of("=;", pos);
        if (equals == std::string_view::npos || text[equals] == ';') {
            // A pair without "=": only blanks are allowed there (";;", "; ;").
            const std::size_t end = equals == std::string_view::npos ? text.size() : equals;
            const std::string_view piece = Trim(text.substr(start, end - start));
            if (!piece.empty()) {
                throw DatabaseError("The connection string is malformed: \"" + std::string(piece) +
                                    "\" has no \"=\"");
            }
            pos = end + 1;
            continue;
        }
        Pair pair;
        pair.key = std::string(Trim(text.substr(start, equals - start)));
        if (pair.key.empty()) {
            throw DatabaseError("The connection string is malformed: a value at offset " +
                                std::to_string(start) + " has no key");
        }
        pos = equals + 1;
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        const char open = pos < text.size() ? text[pos] : '\0';
        if (open == '"' || open == '\'') {
            // Quoted: runs to the next lone quote; a doubled quote stands for one.
            ++pos;
            bool closed = false;
            while (pos < text.size()) {
                if (text[pos] == open) {
                    if (pos + 1 < text.size() && text[pos + 1] == open) {
                        pair.value += open;
                        pos += 2;
                        continue;
                    }
                    closed = true;
                    ++pos;
                    break;
                }
                pair.value += text[pos++];
            }
            if (!closed) {
                throw DatabaseError("The connection string is malformed: the value of \"" +
                                    pair.key + "\" has no closing quote");
            }
            const std::size_t end = text.find(';', pos);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            if (!Trim(text.substr(pos, stop - pos)).empty()) {
                throw DatabaseError(
                    "The connection string is malformed: text follows the "
                    "quoted value of \"" +
                    pair.key + "\"");
            }
            pos = stop;
        } else if (open == '{') {
            // ODBC's braces: the value runs to the closing brace, ";" included.
            const std::size_t close = text.find('}', pos);
            if (close == std::string_view::npos) {
                throw DatabaseError("The connection string is malformed: the value of \"" +
                                    pair.key + "\" has no closing brace");
            }
            const std::size_t end = text.find(';', close);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            pair.value = std::string(Trim(text.substr(pos, stop - pos)));
            pos = stop;
        } else {
            const std::size_t end = text.find(';', pos);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            pair.value = std::string(Trim(text.substr(pos, stop - pos)));
            pos = stop;
        }
        pair.text = std::string(Trim(text.substr(start, pos - start)));
        result.pairs_.push_back(std::move(pair));
        ++pos;  // past the ";"
    }
    return result;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
    for (const Pair& pair : pairs_) {
        if (KeysEqual(pair.key, key))
            return pair.value;
    }
    return std::nullopt;
}

std::string ConnectionString::TextWithout(std::string_view key) const {
    std::string text;
    for (const Pair& pair : pairs_) {
        if (KeysEqual(pair.key, key))
            continue;
        if (!text.empty())
            text += ';';
        text += pair.text;
    }
    return text;
}

}  // namespace lumbrook::database
