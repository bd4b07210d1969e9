#include "database/connection_string.h"

#include <gtest/gtest.h>

#include <random>

#include "database/database_error.h"

namespace lumbrook::database {
namespace {

TEST(ConnectionString, TheDefaultStringReadsAsItsPairs) {
    const auto parsed = ConnectionString::Parse(
        "Provider=OraOLEDB.Oracle.1;Persist Security Info=True;User ID=tsquared;password=qx;"
        "Data Source=TSQUARED;");
    ASSERT_EQ(parsed.Pairs().size(), 5u);
    EXPECT_EQ(parsed.Get("provider"), "OraOLEDB.Oracle.1");
    EXPECT_EQ(parsed.Get("USER ID"), "tsquared");
    EXPECT_EQ(parsed.Get("Password"), "qx");
    EXPECT_EQ(parsed.Get("data source"), "TSQUARED");
    EXPECT_EQ(parsed.Get("Server"), std::nullopt);
}

TEST(ConnectionString, QuotesBracesBlanksAndRepeatedKeys) {
    const auto parsed = ConnectionString::Parse(
        "  Data Source = \"/tmp/a;b.sqlite\" ; Password='it''s';Driver={PostgreSQL Unicode};"
        ";Key=first;key=second;Empty=;Trailing=  x y  ");
    EXPECT_EQ(parsed.Get("Data Source"), "/tmp/a;b.sqlite");
    EXPECT_EQ(parsed.Get("Password"), "it's");
    EXPECT_EQ(parsed.Get("Driver"), "PostgreSQL Unicode");
    EXPECT_EQ(parsed.Get("Key"), "first");  // the first of repeated keys counts
    EXPECT_EQ(parsed.Get("Empty"), "");
    EXPECT_EQ(parsed.Get("Trailing"), "x y");
}

TEST(ConnectionString, TheRestGoesOnAsWritten) {
    const auto parsed = ConnectionString::Parse(
        "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5433;PROVIDER=x");
    EXPECT_EQ(parsed.TextWithout("Provider"),
              "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5433");
}

TEST(ConnectionString, MalformedTextIsRefusedWithItsReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"Provider", "\"Provider\" has no \"=\""},
        {"Provider=SQLite;junk;", "\"junk\" has no \"=\""},
        {"=value", "has no key"},
        {"Password=\"open", "has no closing quote"},
        {"Password='a'b", "text follows the quoted value"},
        {"Driver={PostgreSQL", "has no closing brace"},
        {"PWD={a}}", "has no closing brace"},
        {"PWD={a}b;UID=x", "text follows the braced value of \"PWD\""},
    };
    for (const auto& [text, reason] : cases) {
        try {
            ConnectionString::Parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const DatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos)
                << text << " -> " << e.what();
        }
    }
}

TEST(ConnectionString, ADoubledClosingCharacterStandsForOne) {
    const auto parsed = ConnectionString::Parse(
        "Provider=MSDASQL;DSN=LAB;PWD={a}};b}}};UID={x}}};Password=\"q\"\"\"");
    EXPECT_EQ(parsed.Get("PWD"), "a};b}");
    EXPECT_EQ(parsed.Get("UID"), "x}");
    EXPECT_EQ(parsed.Get("Password"), "q\"");
    // What goes on to the driver manager is the text as written, escapes and all.
    EXPECT_EQ(parsed.TextWithout("Provider"), "DSN=LAB;PWD={a}};b}}};UID={x}}};Password=\"q\"\"\"");
}

TEST(ConnectionString, ValuesAreEnclosedOnlyWhenPlainTextWouldNotReadBack) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // value, with double quotes, with braces
        {"", "", ""},
        {"plain", "plain", "plain"},
        {"in side", "in side", "in side"},
        {" lead", "\" lead\"", "{ lead}"},
        {"tail\t", "\"tail\t\"", "{tail\t}"},
        {"a;b", "\"a;b\"", "{a;b}"},
        {"a=b", "\"a=b\"", "{a=b}"},
        {"it's", "\"it's\"", "it's"},
        {"say \"x\"", "\"say \"\"x\"\"\"", "say \"x\""},
        {"\"x", "\"\"\"x\"", "{\"x}"},
        {"'x", "\"'x\"", "{'x}"},
        {"a}b", "a}b", "{a}}b}"},
        {"{x", "\"{x\"", "{{x}"},
    };
    for (const auto& [value, quoted, braced] : cases) {
        EXPECT_EQ(ValueText(value, ValueQuoting::DoubleQuotes), quoted) << value;
        EXPECT_EQ(ValueText(value, ValueQuoting::Braces), braced) << value;
    }
    EXPECT_EQ(ValueText("PostgreSQL Unicode", ValueQuoting::Braces, Enclose::Always),
              "{PostgreSQL Unicode}");
}

// Random values of the characters that matter to the escaping, written into a string between
// other pairs and read back: every one must come back unchanged, in both enclosings. The
// seed is fixed, so a failure shows the same value every time.
TEST(ConnectionString, RandomValuesReadBackAsWritten) {
    const std::string_view alphabet[] = {";", "=",        "{",        "}",        "\"",
                                         "'", " ",        "\t",       "a",        "Z",
                                         "7", "\xC3\xA9", "\xC3\x9F", "\xD0\x96", "\xE6\xB0\xB4"};
    std::mt19937 random(15);
    for (int round = 0; round < 5000; ++round) {
        std::string value;
        const std::size_t length = random() % 12;
        for (std::size_t i = 0; i < length; ++i)
            value += alphabet[random() % std::size(alphabet)];
        for (ValueQuoting quoting : {ValueQuoting::DoubleQuotes, ValueQuoting::Braces}) {
            const std::string text =
                "Provider=MSDASQL;PWD=" + ValueText(value, quoting) + ";UID=after";
            ConnectionString parsed;
            ASSERT_NO_THROW(parsed = ConnectionString::Parse(text)) << text;
            ASSERT_EQ(parsed.Get("PWD"), value) << text;
            ASSERT_EQ(parsed.Get("UID"), "after") << text;
        }
    }
}

}  // namespace
}  // namespace lumbrook::database
