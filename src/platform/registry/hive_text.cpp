#include "platform/registry/hive_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "lumbrook/registry.h"
#include "platform/base/hex_digits.h"

namespace lumbrook::platform::registry {
namespace {

// The two headers a registry file may start with; the second is what later editors write.
constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The blanks a hand-written line may have around its parts: spaces and tabs.
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without blanks before and after it, nor the CR of a CRLF line end.
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Reads 1 to `maxDigits` hex digits making up all of `text`.
std::optional<std::uint32_t> ReadHex(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Whether `text` starts with `prefix`, ASCII letters in either case ("HKCU", "Hex(").
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

// Splits the text into lines (LF or CRLF) and reads them one by one, keeping the number of
// the line being read for error messages.
class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    ParseResult Run() {
        ParseResult result;
        if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            text_.remove_prefix(kByteOrderMark.size());
        if (const std::size_t nul = text_.find('\0'); nul != std::string_view::npos) {
            lineNumber_ =
                1 + static_cast<std::size_t>(std::count(text_.begin(), text_.begin() + nul, '\n'));
            return Failed(result, "the file contains a NUL byte", "");
        }
        bool headerSeen = false;
        Key* current = nullptr;
        std::string_view line;
        while (NextLine(line)) {
            const std::string_view content = TrimBlanks(line);
            if (content.empty() || content.front() == ';')
                continue;
            if (!headerSeen) {
                if (!NamesEqual(content, kHeader) && !NamesEqual(content, kHeader5))
                    return Failed(result, "expected the header REGEDIT4", content);
                headerSeen = true;
                continue;
            }
            if (content.front() == '[') {
                current = ReadSection(content, result);
                if (current == nullptr)
                    return result;
            } else if (content.front() == '"' || content.front() == '@') {
                if (current == nullptr)
                    return Failed(result, "a value before the first [key] line", content);
                if (!ReadValue(content, *current, result))
                    return result;
            } else {
                return Failed(result, "expected a [key] line, a \"name\"=value line or a comment",
                              content);
            }
        }
        result.ok = true;
        return result;
    }

  private:
    bool NextLine(std::string_view& line) {
        if (position_ >= text_.size())
            return false;
        const std::size_t end = std::min(text_.find('\n', position_), text_.size());
        line = text_.substr(position_, end - position_);
        position_ = end + 1;
        ++lineNumber_;
        return true;
    }

    ParseResult Failed(ParseResult& result, std::string_view what, std::string_view text) {
        Fail(result, what, text);
        return std::move(result);
    }

    void Fail(ParseResult& result, std::string_view what, std::string_view text) {
        result.ok = false;
        result.root = Key();
        result.error = "line " + std::to_string(lineNumber_) + ": " + std::string(what);
        if (!text.empty()) {
            // Long lines are cut: the message must stay readable.
            constexpr std::size_t kShown = 80;
            result.error += ": " + std::string(text.substr(0, kShown));
            if (text.size() > kShown)
                result.error += "...";
        }
    }

    Key* ReadSection(std::string_view content, ParseResult& result) {
        if (content.back() != ']') {
            Fail(result, "a [key] line without its closing ]", content);
            return nullptr;
        }
        const std::string_view inner = content.substr(1, content.size() - 2);
        if (!inner.empty() && inner.front() == '-') {
            Fail(result, "deleting keys ([-key]) is not supported here", content);
            return nullptr;
        }
        const std::size_t slash = inner.find('\\');
        const std::string_view root = inner.substr(0, slash);
        if (!NamesEqual(root, kRootName) && !NamesEqual(root, "HKCU")) {
            Fail(result, "only keys below HKEY_CURRENT_USER belong here", content);
            return nullptr;
        }
        const auto path = SplitPath(slash == std::string_view::npos ? std::string_view()
                                                                    : inner.substr(slash + 1));
        if (!path || (slash != std::string_view::npos && path->empty())) {
            Fail(result, "an empty, too long or too deep key name", content);
            return nullptr;
        }
        Key* key = &result.root;
        for (const std::string& segment : *path)
            key = &key->Ensure(segment);
        return key;
    }

    // Reads a quoted text starting at text[0] == '"'; `rest` gets what follows it.
    std::optional<std::string> ReadQuoted(std::string_view text, std::string_view& rest) {
        std::string out;
        for (std::size_t i = 1; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"') {
                rest = text.substr(i + 1);
                return out;
            }
            if (c == '\\' && i + 1 < text.size()) {
                const char next = text[i + 1];
                if (next == '"' || next == '\\') {
                    out += next;
                    ++i;
                    continue;
                }
                // Any other backslash stands for itself, as people write paths by hand.
            }
            out += c;
        }
        return std::nullopt;
    }

    bool ReadValue(std::string_view content, Key& key, ParseResult& result) {
        std::string name;
        std::string_view rest;
        if (content.front() == '@') {
            rest = content.substr(1);
        } else {
            auto quoted = ReadQuoted(content, rest);
            if (!quoted) {
                Fail(result, "a value name without its closing quote", content);
                return false;
            }
            name = std::move(*quoted);
            if (name.size() > kMaxValueNameLength) {
                Fail(result, "a value name longer than 16383 characters", content.substr(0, 40));
                return false;
            }
        }
        rest = TrimBlanks(rest);
        if (rest.empty() || rest.front() != '=') {
            Fail(result, "expected = after the value name", content);
            return false;
        }
        rest = TrimBlanks(rest.substr(1));
        if (!rest.empty() && rest.front() == '"') {
            std::string_view after;
            auto text = ReadQuoted(rest, after);
            if (!text) {
                Fail(result, "a text value without its closing quote", content);
                return false;
            }
            if (!TrimBlanks(after).empty()) {
                Fail(result, "text after the closing quote", content);
                return false;
            }
            std::vector<std::uint8_t> data(text->begin(), text->end());
            data.push_back(0);
            key.SetValue(name, REG_SZ, std::move(data));
            return true;
        }
        if (StartsWithNoCase(rest, "dword:")) {
            const auto number = ReadHex(rest.substr(6), 8);
            if (!number) {
                Fail(result, "dword: takes 1 to 8 hex digits", content);
                return false;
            }
            std::vector<std::uint8_t> data(4);
            for (int i = 0; i < 4; ++i)
                data[i] = static_cast<std::uint8_t>(*number >> (8 * i));
            key.SetValue(name, REG_DWORD, std::move(data));
            return true;
        }
        if (StartsWithNoCase(rest, "hex")) {
            return ReadHexValue(content, rest.substr(3), name, key, result);
        }
        if (!rest.empty() && rest.front() == '-') {
            Fail(result, "deleting values (=-) is not supported here", content);
            return false;
        }
        Fail(result, "expected \"text\", dword:, hex: or hex(type): after =", content);
        return false;
    }

    // `rest` follows "hex": an optional "(type)", then ":" and the bytes, which may go on over
    // the following lines while a line ends with "\".
    bool ReadHexValue(std::string_view content, std::string_view rest, const std::string& name,
                      Key& key, ParseResult& result) {
        std::uint32_t type = REG_BINARY;
        if (!rest.empty() && rest.front() == '(') {
            const std::size_t close = rest.find(')');
            const auto number = close == std::string_view::npos
                                    ? std::nullopt
                                    : ReadHex(rest.substr(1, close - 1), 8);
            if (!number) {
                Fail(result, "hex(type) takes a type of 1 to 8 hex digits", content);
                return false;
            }
            type = *number;
            rest = rest.substr(close + 1);
        }
        if (rest.empty() || rest.front() != ':') {
            Fail(result, "expected : after hex", content);
            return false;
        }
        std::string bytes(TrimBlanks(rest.substr(1)));
        while (!bytes.empty() && bytes.back() == '\\') {
            bytes.pop_back();
            std::string_view next;
            if (!NextLine(next)) {
                Fail(result, "hex data continued past the end of the file", "");
                return false;
            }
            bytes += TrimBlanks(next);
        }
        std::vector<std::uint8_t> data;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t comma = std::min(bytes.find(',', start), bytes.size());
            const auto byte =
                ReadHex(TrimBlanks(std::string_view(bytes).substr(start, comma - start)), 2);
            if (!byte) {
                Fail(result, "hex data takes bytes of 1 or 2 hex digits separated by commas",
                     content);
                return false;
            }
            data.push_back(static_cast<std::uint8_t>(*byte));
            start = comma + 1;
        }
        key.SetValue(name, type, std::move(data));
        return true;
    }

    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t lineNumber_ = 0;
};

// The text in double quotes, with \" and \\ for the quote and the backslash: the form the
// reader takes back.
std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// A REG_SZ that the quoted form can carry: NUL-terminated, with no other NUL and no line
// break. Anything else is written as hex(1) so that it reads back byte for byte.
bool IsPlainText(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0)
        return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\n' || data[i] == '\r')
            return false;
    }
    return true;
}

// hex bytes in lines of at most 80 characters, continued with "\" as editors write them.
void WriteHexData(std::string& out, std::size_t lineStart, const std::vector<std::uint8_t>& data) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (out.size() - lineStart + 3 > 77) {
            out += "\\\n  ";
            lineStart = out.size() - 2;
        }
        AppendHexByte(out, data[i], HexLetters::Lower);
        if (i + 1 < data.size())
            out += ',';
    }
}

// One value line: "name" (or @ for the default value), then the data as text for plain
// REG_SZ, dword: for a four-byte REG_DWORD, and hex: or hex(type): for anything else.
void WriteValue(std::string& out, const Value& value) {
    const std::size_t lineStart = out.size();
    out += value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    if (value.type == REG_SZ && IsPlainText(value.data)) {
        out += Quote(std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                      value.data.size() - 1));
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                     static_cast<std::uint32_t>(value.data[3]) << 24;
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", number);
        out += text;
    } else {
        if (value.type == REG_BINARY) {
            out += "hex:";
        } else {
            char text[24];
            std::snprintf(text, sizeof text, "hex(%x):", value.type);
            out += text;
        }
        WriteHexData(out, lineStart, value.data);
    }
    out += '\n';
}

// The key's section and its values, then its subkeys' sections in the order of their names.
// A key without values but with subkeys gets no section: theirs create it on reading.
void WriteKey(std::string& out, const Key& key, const std::string& path) {
    if (!key.values().empty() || key.subkeys().empty()) {
        out += "\n[";
        out += path;
        out += "]\n";
        for (const Value& value : key.values())
            WriteValue(out, value);
    }
    for (const auto& [name, child] : key.subkeys())
        WriteKey(out, *child, path + "\\" + child->name());
}

}  // namespace

ParseResult ParseHiveText(std::string_view text) {
    return Parser(text).Run();
}

std::string WriteHiveText(const Key& key, std::string_view path) {
    std::string out(kHeader);
    out += '\n';
    std::string fullPath(kRootName);
    if (!path.empty()) {
        fullPath += '\\';
        fullPath += path;
    }
    WriteKey(out, key, fullPath);
    return out;
}

}  // namespace lumbrook::platform::registry
