#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lumbrook/bstr.h"
#include "lumbrook/utf16.h"

namespace lumbrook::platform {
namespace {

using namespace std::string_literals;

TEST(Bstr, LengthsCountUtf16UnitsAndBytes) {
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
}

TEST(Bstr, NullIsTheEmptyString) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(Utf8FromBstr(nullptr), "");
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(Bstr, AllocStringLenKeepsEmbeddedNulsAndMayStartEmpty) {
    const char16_t text[] = u"a\0b";
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(s[1], u'\0');
    EXPECT_EQ(s[2], u'b');
    SysFreeString(s);

    BSTR blank = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(SysStringLen(blank), 4u);
    EXPECT_EQ(blank[4], u'\0');
    SysFreeString(blank);
}

TEST(Bstr, Utf8RoundTripsKeepEveryCharacter) {
    const std::string samples[] = {
        ""s,
        "plain ASCII"s,
        "Gl\xC3\xBC"
        "cose \xC3\x9F \xE2\x82\xAC"s,  // Glücose ß €
        "\xE6\xB8\xAC\xE5\xAE\x9A"s,    // CJK
        "emoji \xF0\x9F\xA7\xAA end"s,  // outside the BMP: a surrogate pair
        "two\0nuls\0"s,                 // the descriptor list carries NULs
        "\0"s,
    };
    for (const std::string& sample : samples) {
        Bstr b(sample);
        if (!sample.empty()) {
            ASSERT_NE(b.get(), nullptr);
        }
        EXPECT_EQ(b.Utf8(), sample);
    }
}

TEST(Bstr, SupplementaryCharacterIsASurrogatePair) {
    Bstr b("\xF0\x9F\xA7\xAA");
    ASSERT_EQ(SysStringLen(b.get()), 2u);
    EXPECT_EQ(b.get()[0], 0xD83E);
    EXPECT_EQ(b.get()[1], 0xDDEA);
}

TEST(Text, LoneSurrogatesSurviveTheTripThroughUtf8) {
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDFFF)};
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(lone)), lone);
}

TEST(Text, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");            // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form of '/'
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
