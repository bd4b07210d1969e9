/*
 * C++ only: the conversion between UTF-8, the program's text, and UTF-16, the text of a BSTR.
 * Header only and free of the platform's types, so that code next to other libraries' headers
 * (an ODBC driver manager's, say) can use it too.
 *
 * Both directions keep every character: valid text round-trips exactly, and so do lone
 * UTF-16 surrogates, which are carried through UTF-8 in their three-byte form. Only bytes
 * that are not UTF-8 at all become U+FFFD.
 */
#ifndef LUMBROOK_UTF16_H
#define LUMBROOK_UTF16_H

#ifndef __cplusplus
#error "lumbrook/utf16.h is for C++"
#endif

#include <string>
#include <string_view>

namespace lumbrook::platform {

// UTF-8 to UTF-16. Bytes that are not UTF-8 (a stray continuation byte, an overlong form,
// a value beyond U+10FFFF, a sequence cut short) become U+FFFD one byte at a time; the
// three-byte form of a surrogate becomes that lone surrogate again.
inline std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
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
        // Overlong forms and values beyond U+10FFFF are not UTF-8.
        if (!valid || cp < min || cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
            ++p;
            continue;
        }
        p += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            // A surrogate code point here is a lone surrogate carried over from UTF-16.
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

// UTF-16 to UTF-8. A surrogate pair becomes its four-byte character; a lone surrogate keeps
// its value in the three-byte form, so that the text round-trips.
inline std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
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
