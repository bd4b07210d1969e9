#include "connection_dialog/connection_choice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "database/connection_string.h"

namespace lumbrook::connection_dialog {
namespace {

using C = ConnectionChoice;

// A choice of `kind` with the given fields filled in.
C Choice(ConnectionKind kind, const std::vector<std::pair<std::string C::*, std::string>>& fields) {
    C choice;
    choice.kind = kind;
    for (const auto& [member, value] : fields)
        choice.*member = value;
    return choice;
}

// Each kind's provider and keys; values that would break the pairs are quoted in the
// enclosing of the kind's provider. Without its file, data source or driver a kind gives
// nothing, whatever else is filled in.
TEST(ConnectionChoice, EachKindGivesItsProviderAndKeysQuotedAsNeededOrNothingWithoutItsSource) {
    using enum ConnectionKind;
    const std::pair<C, const char*> cases[] = {
        {Choice(SqliteFile, {{&C::file, "/data/run 12.sqlite"}}),
         "Provider=SQLite;Data Source=/data/run 12.sqlite;"},
        {Choice(OdbcDataSource,
                {{&C::dataSource, "TSQUARED"}, {&C::user, "tsquared"}, {&C::password, "qx"}}),
         "Provider=MSDASQL;DSN=TSQUARED;UID=tsquared;PWD=qx;"},
        {Choice(OdbcDriver, {{&C::driver, "PostgreSQL Unicode"},
                             {&C::server, "127.0.0.1"},
                             {&C::port, "5433"},
                             {&C::database, "lab"}}),
         "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5433;Database=lab;"},
        {Choice(SqliteFile, {{&C::file, "/data/a;b\"c.sqlite"}}),
         "Provider=SQLite;Data Source=\"/data/a;b\"\"c.sqlite\";"},
        {Choice(OdbcDataSource, {{&C::dataSource, "LAB"}, {&C::password, "a};b"}}),
         "Provider=MSDASQL;DSN=LAB;PWD={a}};b};"},
        {Choice(SqliteFile, {{&C::user, "someone"}, {&C::server, "host"}}), ""},
        {Choice(OdbcDataSource, {{&C::user, "someone"}, {&C::server, "host"}}), ""},
        {Choice(OdbcDriver, {{&C::user, "someone"}, {&C::server, "host"}}), ""},
        {Choice(OracleService, {{&C::user, "someone"}, {&C::server, "host"}}), ""},
    };
    for (const auto& [choice, expected] : cases)
        EXPECT_EQ(BuildConnectionString(choice), expected);
}

// A password such as "a};b" once came out of the builder as a string the parser could not
// read. Every field of every kind, filled with random text of the characters that matter to
// the escaping (fixed seed), must read back from the built string as it was entered.
TEST(ConnectionChoice, EveryBuiltStringReadsBackAsTheFieldsItWasBuiltFrom) {
    // The keys each kind writes, in the order of ConnectionKind, and the fields they hold.
    const std::vector<std::pair<const char*, std::string C::*>> kFields[] = {
        {{"Data Source", &C::file}},
        {{"DSN", &C::dataSource}, {"UID", &C::user}, {"PWD", &C::password}},
        {{"Driver", &C::driver},
         {"Server", &C::server},
         {"Port", &C::port},
         {"Database", &C::database},
         {"Uid", &C::user},
         {"Pwd", &C::password}},
        {{"Data Source", &C::dataSource}, {"User ID", &C::user}, {"Password", &C::password}},
    };
    const std::string_view alphabet[] = {";",  "=", "{", "}",        "\"",       "'",           " ",
                                         "\t", "a", "Z", "\xC3\xA9", "\xD0\x96", "\xE6\xB0\xB4"};
    std::mt19937 random(15);
    auto text = [&](std::size_t least) {
        std::string value;
        const std::size_t length = least + random() % 10;
        for (std::size_t i = 0; i < length; ++i)
            value += alphabet[random() % std::size(alphabet)];
        return value;
    };
    for (int round = 0; round < 1000; ++round) {
        ConnectionChoice choice;
        choice.kind = static_cast<ConnectionKind>(round % 4);
        choice.file = text(1);
        choice.dataSource = text(1);
        choice.driver = text(1);
        choice.server = text(0);
        choice.port = text(0);
        choice.database = text(0);
        choice.user = text(0);
        choice.password = text(0);
        const std::string built = BuildConnectionString(choice);
        database::ConnectionString parsed;
        ASSERT_NO_THROW(parsed = database::ConnectionString::Parse(built)) << built;
        for (const auto& [key, member] : kFields[round % 4])
            EXPECT_EQ(parsed.Get(key).value_or(""), choice.*member) << key << " in " << built;
        if (HasFailure())
            break;
    }
}

}  // namespace
}  // namespace lumbrook::connection_dialog
