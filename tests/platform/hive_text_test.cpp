#include <gtest/gtest.h>

#include "lumbrook/registry.h"
#include "platform/registry/hive_text.h"

namespace lumbrook::platform::registry {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(HiveText, ReadsWhatPeopleWriteByHand) {
    // BOM, CRLF, comments, blank lines, any case, HKCU, @, escapes, continued hex. The hex(n)
    // types are read through RegOp (reg_op_test).
    const std::string text =
        "\xEF\xBB\xBF"
        "regedit4\r\n"
        "; a comment\r\n"
        "\r\n"
        "[hkcu\\Software\\Velmora]\r\n"
        "  \"Path\" = \"C:\\\\tmp\\\\a \\\"b\\\"\"  \r\n"
        "@=\"default\"\r\n"
        "\"N\"=DWORD:0000001A\n"
        "\"Hex\"=hex:01,02,\\\r\n"
        "    03, 04\n"
        "\"Lone\"=\"a\\b\"\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\velmora\\Sub]\n";
    const ParseResult parsed = ParseHiveText(text);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const Key* key = parsed.root.FindPath({"software", "VELMORA"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->name(), "Velmora");  // the first spelling stays
    ASSERT_NE(key->Find("sub"), nullptr);
    const std::pair<const char*, Value> expected[] = {
        {"path", {"Path", REG_SZ, Bytes(std::string_view("C:\\tmp\\a \"b\"\0", 13))}},
        {"", {"", REG_SZ, Bytes(std::string_view("default\0", 8))}},
        {"n", {"N", REG_DWORD, {0x1A, 0, 0, 0}}},
        {"HEX", {"Hex", REG_BINARY, {1, 2, 3, 4}}},
        {"lone", {"Lone", REG_SZ, Bytes(std::string_view("a\\b\0", 4))}},
    };
    for (const auto& [lookup, want] : expected) {
        const Value* value = key->FindValue(lookup);
        ASSERT_NE(value, nullptr) << lookup;
        EXPECT_EQ(value->name, want.name);
        EXPECT_EQ(value->type, want.type) << lookup;
        EXPECT_EQ(value->data, want.data) << lookup;
    }
}

TEST(HiveText, EmptyTextIsAnEmptyTree) {
    for (const char* text : {"", "\n\n", "; only a comment\n", "REGEDIT4\n"}) {
        const ParseResult parsed = ParseHiveText(text);
        EXPECT_TRUE(parsed.ok) << text;
        EXPECT_TRUE(parsed.root.subkeys().empty());
    }
}

TEST(HiveText, RejectsWhatItCannotRead) {
    const std::pair<std::string, const char*> cases[] = {
        {"garbage\n", "line 1: expected the header REGEDIT4: garbage"},
        {"REGEDIT4\n\"a\"=\"b\"\n", "line 2: a value before the first [key] line: \"a\"=\"b\""},
        {"REGEDIT4\n[HKCU\\Software\n",
         "line 2: a [key] line without its closing ]: [HKCU\\Software"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\X]\n",
         "line 2: only keys below HKEY_CURRENT_USER belong here: [HKEY_LOCAL_MACHINE\\X]"},
        {"REGEDIT4\n[HKCU\\a\\\\b]\n",
         "line 2: an empty, too long or too deep key name: [HKCU\\a\\\\b]"},
        {"REGEDIT4\n[HKCU\\a]\n\"x\"=\"unterminated\n",
         "line 3: a text value without its closing quote: \"x\"=\"unterminated"},
        {"REGEDIT4\n[HKCU\\a]\n\"x\"=dword:123456789\n",
         "line 3: dword: takes 1 to 8 hex digits: \"x\"=dword:123456789"},
        {"REGEDIT4\n[HKCU\\a]\n\"x\"=hex:1,2,\\\n",
         "line 3: hex data continued past the end of the file"},
        {"REGEDIT4\n[HKCU\\a]\n\"x\"=hex:100\n",
         "line 3: hex data takes bytes of 1 or 2 hex digits separated by commas: \"x\"=hex:100"},
        {"REGEDIT4\n[-HKCU\\a]\n",
         "line 2: deleting keys ([-key]) is not supported here: [-HKCU\\a]"},
        {"REGEDIT4\n[HKCU\\a]\n\"x\"=-\n",
         "line 3: deleting values (=-) is not supported here: \"x\"=-"},
        {"REGEDIT4\n[HKCU\\a]\n\"x\"=\"v\" trailing\n",
         "line 3: text after the closing quote: \"x\"=\"v\" trailing"},
        {std::string("REGEDIT4\n[HKCU\\a\0]\n", 18), "line 2: the file contains a NUL byte"},
    };
    for (const auto& [text, message] : cases) {
        const ParseResult parsed = ParseHiveText(text);
        EXPECT_FALSE(parsed.ok) << text;
        EXPECT_EQ(parsed.error, message);
        EXPECT_TRUE(parsed.root.subkeys().empty());
    }
}

TEST(HiveText, WrittenTextReadsBackUnchanged) {
    Key root;
    Key& key = root.Ensure("Software").Ensure("Odd \"Names\"");
    key.SetValue("", REG_SZ, Bytes(std::string_view("default\0", 8)));
    key.SetValue("quote\"and\\slash", REG_SZ, Bytes(std::string_view("C:\\x \"y\"\0", 9)));
    key.SetValue("line break", REG_SZ, Bytes(std::string_view("a\nb\0", 4)));
    key.SetValue("no terminator", REG_SZ, Bytes("abc"));
    key.SetValue("dword", REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE});
    key.SetValue("short dword", REG_DWORD, {1, 2});
    key.SetValue("expand", REG_EXPAND_SZ, Bytes(std::string_view("%HOME%\0", 7)));
    key.SetValue("binary", REG_BINARY, std::vector<std::uint8_t>(100, 0xAB));
    key.SetValue("none", REG_NONE, {});
    key.SetValue("big type", 0x12345678, {7});
    root.Ensure("Empty");

    const std::string text = WriteHiveText(root, "");
    const ParseResult parsed = ParseHiveText(text);
    ASSERT_TRUE(parsed.ok) << parsed.error << "\n" << text;
    EXPECT_EQ(WriteHiveText(parsed.root, ""), text);
    const Key* back = parsed.root.FindPath({"Software", "Odd \"Names\""});
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->values().size(), key.values().size());
    for (std::size_t i = 0; i < key.values().size(); ++i) {
        EXPECT_EQ(back->values()[i].name, key.values()[i].name);
        EXPECT_EQ(back->values()[i].type, key.values()[i].type) << key.values()[i].name;
        EXPECT_EQ(back->values()[i].data, key.values()[i].data) << key.values()[i].name;
    }
    EXPECT_NE(parsed.root.Find("Empty"), nullptr);
    // Long hex data is wrapped the way editors wrap it.
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    }
}

}  // namespace
}  // namespace lumbrook::platform::registry
