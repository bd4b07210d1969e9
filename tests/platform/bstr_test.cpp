#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "lumbrook/bstr.h"
#include "lumbrook/utf16.h"

namespace lumbrook::platform {
namespace {

TEST(Bstr, LengthsCountUtf16UnitsAndBytesAndNullIsEmpty) {
    BSTR s = SysAllocString(u"Lumbrook");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 8u);
    EXPECT_EQ(SysStringByteLen(s), 16u);
    EXPECT_EQ(s[8], u'\0');
    // The byte length is stored just before the text, as hosts read it.
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
    EXPECT_EQ(prefix, 16u);
    SysFreeString(s);
    // Null is the empty string.
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(Utf8FromBstr(nullptr), "");
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    // A text of a given length may start as NULs, to be filled in.
    BSTR blank = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringLen(blank), 4u);
    EXPECT_EQ(blank[4], u'\0');
    SysFreeString(blank);
}

// Text crosses the binary interface without loss in either direction: a file name or a
// database text that is not UTF-8 arrives byte for byte, and so does any UTF-16 text.
TEST(Text, EveryByteStringAndEveryUtf16TextSurvivesTheTrip) {
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDFFF), char16_t(0xDC80)};
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(lone)), lone);
    const std::string bytes[] = {
        "M\xFCller",         // Latin-1
        "\xC3",              // cut short
        "\xC0\xAF",          // overlong form of '/'
        "\xED\xB2\x80",      // the UTF-8 form of an escaped byte's surrogate
        "\xED\xA0\x80",      // a lone high surrogate in its three-byte form
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "\xFF\xFE\x80",
        "\xED\xA0\x80\x80",          // a high surrogate's form before a byte that is not UTF-8
        "\xED\xA0\x80\xED\xB0\x80",  // a pair written as two three-byte forms
    };
    for (const std::string& sample : bytes)
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample) << sample;
    // Short strings of the bytes at the edges of UTF-8's forms, in every order.
    const unsigned char edges[] = {0x41, 0x80, 0xA0, 0xB0, 0xBF, 0xC2, 0xDF,
                                   0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF8, 0xFF};
    std::uint32_t state = 12345;
    for (int n = 0; n < 100000; ++n) {
        std::string sample;
        for (int length = n % 7; length > 0; --length) {
            state = state * 1103515245u + 12345u;
            sample.push_back(static_cast<char>(edges[(state >> 16) % std::size(edges)]));
        }
        ASSERT_EQ(Utf16ToUtf8(Utf8ToUtf16(sample)), sample);
    }
    // A character outside the BMP is a surrogate pair; a byte that is not UTF-8, an escape.
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\xA7\xAA"), u"\U0001F9EA");
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\xDCFF"
              u"b");
}

TEST(Bstr, WrapperMovesOwnershipAndOutFreesTheOldText) {
    Bstr a("first");
    Bstr b(std::move(a));
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.Utf8(), "first");
    BSTR* slot = b.out();
    EXPECT_EQ(*slot, nullptr);
    *slot = SysAllocString(u"second");
    EXPECT_EQ(b.Utf8(), "second");
}

}  // namespace
}  // namespace lumbrook::platform
