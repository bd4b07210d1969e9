#include "database/connection_string.h"

#include <gtest/gtest.h>

#include "database_errors.h"

namespace lumbrook::database {
namespace {

TEST(ConnectionString, PairsInAnyCaseWithQuotesBracesBlanksAndRepeatedKeys) {
    const auto parsed = ConnectionString::Parse(
        "Provider=OraOLEDB.Oracle.1;Persist Security Info=True;User ID=tsquared;password=qx;"
        "Data Source=TSQUARED;");
    ASSERT_EQ(parsed.Pairs().size(), 5u);
    EXPECT_EQ(parsed.Get("provider"), "OraOLEDB.Oracle.1");
    EXPECT_EQ(parsed.Get("USER ID"), "tsquared");
    EXPECT_EQ(parsed.Get("Password"), "qx");
    EXPECT_EQ(parsed.Get("data source"), "TSQUARED");
    EXPECT_EQ(parsed.Get("Server"), std::nullopt);

    const auto quoted = ConnectionString::Parse(
        "  Data Source = \"/tmp/a;b.sqlite\" ; Password='it''s';Driver={PostgreSQL Unicode};"
        ";Key=first;key=second;Empty=;Trailing=  x y  ");
    EXPECT_EQ(quoted.Get("Data Source"), "/tmp/a;b.sqlite");
    EXPECT_EQ(quoted.Get("Password"), "it's");
    EXPECT_EQ(quoted.Get("Driver"), "PostgreSQL Unicode");
    EXPECT_EQ(quoted.Get("Key"), "first");  // the first of repeated keys counts
    EXPECT_EQ(quoted.Get("Empty"), "");
    EXPECT_EQ(quoted.Get("Trailing"), "x y");
}

// What goes on to the driver manager is the text as written, escapes and all; reading the
// escapes back is the round trip's (ConnectionChoice.EveryBuiltStringReadsBack...).
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
        // A copy: clang 14 cannot capture a structured binding in a lambda.
        const std::string error =
            testing::ErrorOf([input = text] { ConnectionString::Parse(input); });
        EXPECT_NE(error.find(reason), std::string::npos) << text << " -> " << error;
    }
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
}

// Every spelling the reader takes as a password, in every place of a string: what is shown
// never holds the secret, and the other pairs stay as written.
TEST(MaskedText, NoSpellingOfAPasswordTheReaderTakesShowsIt) {
    const std::string keys[] = {"PWD", "pwd", "Password", "pAsSwOrD"};
    const std::string blanks[] = {"", " ", "\t", "\r\n", " \t\n"};
    const std::string values[] = {"S3CRET", "\"S3;CRET\"", "'S3CRET'", "{S3;}}CRET}"};
    int taken = 0;
    for (const std::string& key : keys) {
        for (const std::string& before : blanks) {
            for (const std::string& around : blanks) {
                for (const std::string& value : values) {
                    const std::string pair = before + key + around + "=" + around + value;
                    for (const std::string& text :
                         {pair, "DSN=lab;" + pair + ";UID=me", "DSN=lab;" + pair}) {
                        // The reader takes it as the password, so the providers would send it.
                        ASSERT_TRUE(ConnectionString::Parse(text).Get(key).has_value()) << text;
                        ++taken;
                        const std::string masked = MaskedText(text);
                        EXPECT_EQ(masked.find("S3"), std::string::npos) << text;
                        EXPECT_EQ(masked.find("CRET"), std::string::npos) << text;
                    }
                }
            }
        }
    }
    EXPECT_EQ(taken, 4 * 5 * 5 * 4 * 3);
    // A driver's option string with a password of its own; text the reader refuses.
    for (const std::string text : {"Provider=MSDASQL;pqopt={password=S3CRET sslmode=disable}",
                                   "Provider=MSDASQL;PQopt={sslmode=disable\tPASSWORD = S3CRET}",
                                   "DSN=lab;PWD={S3CRET", "DSN=lab;Pwd=\"S3CRET\"x;UID=me"})
        EXPECT_EQ(MaskedText(text).find("S3"), std::string::npos) << text;
    EXPECT_EQ(MaskedText("DSN=lab; UID = me ;PWD={a;b};x=1"), "DSN=lab;UID = me;PWD=***;x=1");
    EXPECT_EQ(MaskedText("UserPwd=seen;Data Source=/srv/pwd/x.sqlite"),
              "UserPwd=seen;Data Source=/srv/pwd/x.sqlite");
}

}  // namespace
}  // namespace lumbrook::database
