#include "connection_dialog/connection_choice.h"

#include <gtest/gtest.h>

#include <random>

#include "database/connection_string.h"

namespace lumbrook::connection_dialog {
namespace {

TEST(ConnectionChoice, EachKindGivesItsProviderAndKeys) {
    ConnectionChoice file;
    file.file = "/data/run 12.sqlite";
    EXPECT_EQ(BuildConnectionString(file), "Provider=SQLite;Data Source=/data/run 12.sqlite;");

    ConnectionChoice dsn;
    dsn.kind = ConnectionKind::OdbcDataSource;
    dsn.dataSource = "TSQUARED";
    dsn.user = "tsquared";
    dsn.password = "qx";
    EXPECT_EQ(BuildConnectionString(dsn), "Provider=MSDASQL;DSN=TSQUARED;UID=tsquared;PWD=qx;");

    ConnectionChoice driver;
    driver.kind = ConnectionKind::OdbcDriver;
    driver.driver = "PostgreSQL Unicode";
    driver.server = "127.0.0.1";
    driver.port = "5433";
    driver.database = "lab";
    EXPECT_EQ(BuildConnectionString(driver),
              "Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5433;"
              "Database=lab;");

    ConnectionChoice oracle;
    oracle.kind = ConnectionKind::OracleService;
    oracle.dataSource = "TSQUARED";
    EXPECT_EQ(BuildConnectionString(oracle), "Provider=OraOLEDB.Oracle.1;Data Source=TSQUARED;");
}

TEST(ConnectionChoice, MissingRequiredPartGivesNothing) {
    for (ConnectionKind kind : {ConnectionKind::SqliteFile, ConnectionKind::OdbcDataSource,
                                ConnectionKind::OdbcDriver, ConnectionKind::OracleService}) {
        ConnectionChoice choice;
        choice.kind = kind;
        choice.user = "someone";
        choice.server = "host";
        EXPECT_EQ(BuildConnectionString(choice), "") << static_cast<int>(kind);
    }
}

TEST(ConnectionChoice, ValuesThatWouldBreakThePairsAreQuoted) {
    ConnectionChoice file;
    file.file = "/data/a;b\"c.sqlite";
    EXPECT_EQ(BuildConnectionString(file),
              "Provider=SQLite;Data Source=\"/data/a;b\"\"c.sqlite\";");

    ConnectionChoice dsn;
    dsn.kind = ConnectionKind::OdbcDataSource;
    dsn.dataSource = "LAB";
    dsn.password = "x;y}z";
    EXPECT_EQ(BuildConnectionString(dsn), "Provider=MSDASQL;DSN=LAB;PWD={x;y}}z};");
    dsn.password = "a};b";
    EXPECT_EQ(BuildConnectionString(dsn), "Provider=MSDASQL;DSN=LAB;PWD={a}};b};");

    ConnectionChoice oracle;
    oracle.kind = ConnectionKind::OracleService;
    oracle.dataSource = "LAB";
    oracle.password = " padded ";
    EXPECT_EQ(BuildConnectionString(oracle),
              "Provider=OraOLEDB.Oracle.1;Password=\" padded \";Data Source=LAB;");
}

// A password such as "a};b" once came out of the builder as a string the parser could not
// read. Every field of every kind, filled with random text of the characters that matter to
// the escaping (fixed seed), must read back from the built string as it was entered.
TEST(ConnectionChoice, EveryBuiltStringReadsBackAsTheFieldsItWasBuiltFrom) {
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
        auto field = [&](const char* key) { return parsed.Get(key).value_or(""); };
        switch (choice.kind) {
            case ConnectionKind::SqliteFile:
                EXPECT_EQ(field("Data Source"), choice.file) << built;
                break;
            case ConnectionKind::OdbcDataSource:
                EXPECT_EQ(field("DSN"), choice.dataSource) << built;
                EXPECT_EQ(field("UID"), choice.user) << built;
                EXPECT_EQ(field("PWD"), choice.password) << built;
                break;
            case ConnectionKind::OdbcDriver:
                EXPECT_EQ(field("Driver"), choice.driver) << built;
                EXPECT_EQ(field("Server"), choice.server) << built;
                EXPECT_EQ(field("Port"), choice.port) << built;
                EXPECT_EQ(field("Database"), choice.database) << built;
                EXPECT_EQ(field("Uid"), choice.user) << built;
                EXPECT_EQ(field("Pwd"), choice.password) << built;
                break;
            case ConnectionKind::OracleService:
                EXPECT_EQ(field("Data Source"), choice.dataSource) << built;
                EXPECT_EQ(field("User ID"), choice.user) << built;
                EXPECT_EQ(field("Password"), choice.password) << built;
                break;
        }
        if (HasFailure())
            break;
    }
}

}  // namespace
}  // namespace lumbrook::connection_dialog
