/*
 * C++ only: the conversion between UTF-8, the program's text, and UTF-16, the text of a BSTR.
 * Header only and free of the platform's types, so that code next to other libraries' headers
 * (an ODBC driver manager's, say) can use it too.
 *
 * Both directions lose nothing, so that a file name or a database text reaches the other side
 * byte for byte. Valid text round-trips exactly. A byte that is not part of valid UTF-8
 * becomes one of the lone low surrogates U+DC80 to U+DCFF, and that surrogate becomes the
 * byte again. Every other lone UTF-16 surrogate is carried through UTF-8 in its three-byte
 * form; the three-byte forms of U+DC80 to U+DCFF are not taken as text but as the three
 * bytes they are, so that every byte string maps back to itself.
 */
#ifndef LUMBROOK_UTF16_H
#define LUMBROOK_UTF16_H

#ifndef __cplusplus
#error "lumbrook/utf16.h is for C++"
#endif

#include <string>
#include <string_view>

namespace lumbrook::platform {

// The lone surrogates that stand for the bytes 0x80 to 0xFF that are not UTF-8.
inline constexpr char16_t kEscapedByteFirst = 0xDC80;
inline constexpr char16_t kEscapedByteLast = 0xDCFF;

// UTF-8 to UTF-16. A byte that is not UTF-8 (a stray continuation byte, an overlong form,
// a value beyond U+10FFFF, a sequence cut short) becomes U+DC00 plus its value, one byte at
// a time; the three-byte form of any other surrogate becomes that lone surrogate again.
inline std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* p = begin;
    const auto* end = p + text.size();
    // Where the last unit written came from the three-byte form of a lone high surrogate:
    // a low surrogate right after it would make a pair, and so another text on the way back.
    std::size_t loneHighUnit = std::u16string::npos;
    const unsigned char* loneHighBytes = nullptr;
    const auto pushLow = [&](char16_t unit) {
        if (loneHighUnit != std::u16string::npos && loneHighUnit + 1 == out.size()) {
            out.pop_back();  // the high surrogate's three bytes, as bytes
            for (int i = 0; i < 3; ++i)
                out.push_back(static_cast<char16_t>(0xDC00 + loneHighBytes[i]));
        }
        out.push_back(unit);
    };
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            out.push_back(c);
            ++p;
            continue;
        }
        int length = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4, cp = c & 0x07, min = 0x10000;
        }
        bool valid = length > 0 && end - p >= length;
        for (int i = 1; valid && i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                valid = false;
            } else {
                cp = (cp << 6) | (p[i] & 0x3F);
            }
        }
        // Overlong forms and values beyond U+10FFFF are not UTF-8, and an escaped byte's
        // surrogate written out in UTF-8 stays the bytes it is.
        if (!valid || cp < min || cp > 0x10FFFF ||
            (cp >= kEscapedByteFirst && cp <= kEscapedByteLast)) {
            pushLow(static_cast<char16_t>(0xDC00 + c));
            ++p;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            pushLow(static_cast<char16_t>(cp));  // a lone low surrogate from UTF-16
        } else {
            if (cp >= 0xD800 && cp <= 0xDBFF) {  // a lone high surrogate from UTF-16
                loneHighUnit = out.size();
                loneHighBytes = p;
            }
            out.push_back(static_cast<char16_t>(cp));
        }
        p += length;
    }
    return out;
}

// UTF-16 to UTF-8. A surrogate pair becomes its four-byte character; a lone U+DC80 to U+DCFF
// becomes the byte it stands for, any other lone surrogate keeps its value in the three-byte
// form, so that the text round-trips.
inline std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= kEscapedByteFirst && cp <= kEscapedByteLast) {
            out.push_back(static_cast<char>(cp - 0xDC00));
            continue;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace lumbrook::platform

#endif /* LUMBROOK_UTF16_H */
