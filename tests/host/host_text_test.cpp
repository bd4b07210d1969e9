// The host's own text handling: passwords hidden from connection strings, the listing text
// read back, and tables written for people and scripts.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "connect_options.h"
#include "listing.h"
#include "table_output.h"

namespace lumbrook::host {
namespace {

TEST(HideSecrets, HidesPasswordsWhateverTheirCaseOrQuoting) {
    EXPECT_EQ(HideSecrets("Provider=SQLite;Data Source=x.sqlite"),
              "Provider=SQLite;Data Source=x.sqlite");
    EXPECT_EQ(HideSecrets("DSN=lab;UID=me;PWD=s3cret"), "DSN=lab;UID=me;PWD=***");
    EXPECT_EQ(HideSecrets("Password = top;User=u"), "Password =***;User=u");
    // Enclosed values may hold ";" and doubled closing characters; all of it is hidden.
    EXPECT_EQ(HideSecrets("pwd={a;b}}c};x=1"), "pwd=***;x=1");
    EXPECT_EQ(HideSecrets("PASSWORD=\"a;\"\"b\";x=2"), "PASSWORD=***;x=2");
    EXPECT_EQ(HideSecrets("Pwd='it''s;';x=3"), "Pwd=***;x=3");
    // An unclosed value runs to the end; a pair without "=" passes as it is.
    EXPECT_EQ(HideSecrets("odd;pwd={open;x=4"), "odd;pwd=***");
    EXPECT_EQ(HideSecrets("UserPwd=seen"), "UserPwd=seen");
}

TEST(ParseListingText, UnescapesAndRefusesMalformedText) {
    const Table table =
        ParseListingText("ID\tNA\\tME\nI7\tTa\\\\b\\tc\\nd\nN\tD2026-01-02T03:04:05\n");
    ASSERT_EQ(table.columns, (std::vector<std::string>{"ID", "NA\tME"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0][1].text, "a\\b\tc\nd");
    EXPECT_EQ(table.Column("nope"), -1);
    for (const char* bad : {"A\nI1\tI2\n", "A\nX1\n", "A\nTx\\q\n", "A\nI1"})
        EXPECT_THROW(ParseListingText(bad), std::runtime_error) << bad;
}

// The listings' committed expected outputs pin the three formats on real rows; here, what
// those rows lack: a non-ASCII value in an aligned column, an infinite number, no rows.
TEST(TableOutput, TextAlignsByCharactersJsonHasNoInfinity) {
    Table table;
    table.columns = {"NAME", "MASS", "WHEN"};
    table.rows = {{{'T', "\xC3\x84rchiv\tA"}, {'R', "1234.5"}, {'D', "2026-01-02T03:04:05"}},
                  {{'T', "b"}, {'R', "inf"}, {'N', ""}}};
    std::ostringstream text;
    WriteText(text, table);
    EXPECT_EQ(text.str(),
              "NAME      MASS    WHEN\n"
              "\xC3\x84rchiv A  1234.5  2026-01-02 03:04:05\n"
              "b         inf\n");
    std::ostringstream json;
    WriteJson(json, table);
    EXPECT_EQ(json.str(),
              "[\n {\"NAME\": \"\xC3\x84rchiv\\tA\", \"MASS\": 1234.5, \"WHEN\": "
              "\"2026-01-02T03:04:05\"},\n {\"NAME\": \"b\", \"MASS\": null, \"WHEN\": null}\n]\n");
    std::ostringstream empty;
    WriteJson(empty, Table{{"A"}, {}});
    EXPECT_EQ(empty.str(), "[]\n");
    EXPECT_EQ(JsonString("q\"\x01"), "\"q\\\"\\u0001\"");
}

}  // namespace
}  // namespace lumbrook::host
