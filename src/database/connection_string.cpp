#include "database/connection_string.h"

#include "database/database_error.h"
#include "platform/base/ascii_case.h"

namespace lumbrook::database {
namespace {

// The blanks the reader removes around keys and plain values: space, tab, CR and LF.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// `text` without blanks at either end.
std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The character that closes a value opened by `open`, or '\0' when `open` opens none.
char ClosingOf(char open) {
    switch (open) {
        case '"':
        case '\'':
            return open;
        case '{':
            return '}';
        default:
            return '\0';
    }
}

// Reads the value of `key` that starts at `pos` (blanks before it already skipped) and leaves
// `pos` at the ";" that ends the pair, or at the end of the text. The reading half of the
// rule in the header; ValueText is the writing half.
std::string ReadValue(std::string_view text, std::size_t& pos, const std::string& key) {
    const char open = pos < text.size() ? text[pos] : '\0';
    const char close = ClosingOf(open);
    if (close == '\0') {
        const std::size_t end = text.find(';', pos);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        const std::string value(Trim(text.substr(pos, stop - pos)));
        pos = stop;
        return value;
    }
    // Enclosed: runs to the next lone closing character; a doubled one stands for one.
    std::string value;
    ++pos;
    bool closed = false;
    while (pos < text.size()) {
        if (text[pos] == close) {
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                value += close;
                pos += 2;
                continue;
            }
            closed = true;
            ++pos;
            break;
        }
        value += text[pos++];
    }
    const bool braces = open == '{';
    if (!closed) {
        throw DatabaseError("The connection string is malformed: the value of \"" + key +
                            (braces ? "\" has no closing brace" : "\" has no closing quote"));
    }
    const std::size_t end = text.find(';', pos);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    if (!Trim(text.substr(pos, stop - pos)).empty()) {
        throw DatabaseError("The connection string is malformed: text follows the " +
                            std::string(braces ? "braced" : "quoted") + " value of \"" + key +
                            "\"");
    }
    pos = stop;
    return value;
}

// Whether `value` must be enclosed to read back unchanged, or to be safe with other readers
// (see ValueText in the header).
bool NeedsEnclosing(std::string_view value, ValueQuoting quoting) {
    if (value.empty())
        return false;
    if (IsBlank(value.front()) || IsBlank(value.back()) || ClosingOf(value.front()) != '\0')
        return true;
    const char* special = quoting == ValueQuoting::DoubleQuotes ? ";=\"'" : ";={}";
    return value.find_first_of(special) != std::string_view::npos;
}

// Whether a pair's key names a password, or its value holds one (an option string of a
// driver's own, such as PostgreSQL's pqopt, keeps "password=..." inside its braces).
bool HoldsSecret(const ConnectionString::Pair& pair) {
    if (platform::EqualsIgnoringAsciiCase(pair.key, "password") ||
        platform::EqualsIgnoringAsciiCase(pair.key, "pwd"))
        return true;
    // A key of the value's own: "password" or "pwd", blanks, then "=".
    const std::string_view value = pair.value;
    for (std::size_t at = 0; at < value.size(); ++at) {
        std::size_t after = 0;
        if (platform::EqualsIgnoringAsciiCase(value.substr(at, 3), "pwd"))
            after = at + 3;
        else if (platform::EqualsIgnoringAsciiCase(value.substr(at, 8), "password"))
            after = at + 8;
        else
            continue;
        while (after < value.size() && IsBlank(value[after]))
            ++after;
        if (after < value.size() && value[after] == '=')
            return true;
    }
    return false;
}

}  // namespace

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
        pair.value = ReadValue(text, pos, pair.key);
        pair.text = std::string(Trim(text.substr(start, pos - start)));
        result.pairs_.push_back(std::move(pair));
        ++pos;  // past the ";"
    }
    return result;
}

std::string MaskedText(std::string_view text) {
    try {
        const ConnectionString parsed = ConnectionString::Parse(text);
        std::string masked;
        for (const ConnectionString::Pair& pair : parsed.Pairs()) {
            if (!masked.empty())
                masked += ';';
            masked += HoldsSecret(pair) ? pair.key + "=***" : pair.text;
        }
        return masked;
    } catch (const DatabaseError&) {
        // Unreadable: nothing from where a password's key may start is shown.
        for (std::size_t at = 0; at < text.size(); ++at) {
            if (platform::EqualsIgnoringAsciiCase(text.substr(at, 3), "pwd") ||
                platform::EqualsIgnoringAsciiCase(text.substr(at, 8), "password"))
                return std::string(text.substr(0, at)) + "***";
        }
        return std::string(text);  // no key of a password anywhere
    }
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
    for (const Pair& pair : pairs_) {
        if (platform::EqualsIgnoringAsciiCase(pair.key, key))
            return pair.value;
    }
    return std::nullopt;
}

std::string ConnectionString::TextWithout(std::string_view key) const {
    std::string text;
    for (const Pair& pair : pairs_) {
        if (platform::EqualsIgnoringAsciiCase(pair.key, key))
            continue;
        if (!text.empty())
            text += ';';
        text += pair.text;
    }
    return text;
}

std::string ValueText(std::string_view value, ValueQuoting quoting, Enclose enclose) {
    if (enclose == Enclose::WhenNeeded && !NeedsEnclosing(value, quoting))
        return std::string(value);
    const char open = quoting == ValueQuoting::DoubleQuotes ? '"' : '{';
    const char close = ClosingOf(open);
    std::string text(1, open);
    for (char c : value) {
        text += c;
        if (c == close)
            text += close;
    }
    text += close;
    return text;
}

}  // namespace lumbrook::database
