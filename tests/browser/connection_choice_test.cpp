#include "connection_dialog/connection_choice.h"

#include <gtest/gtest.h>

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

    ConnectionChoice oracle;
    oracle.kind = ConnectionKind::OracleService;
    oracle.dataSource = "LAB";
    oracle.password = " padded ";
    EXPECT_EQ(BuildConnectionString(oracle),
              "Provider=OraOLEDB.Oracle.1;Password=\" padded \";Data Source=LAB;");
}

}  // namespace
}  // namespace lumbrook::connection_dialog
