// The ODBC provider against a PostgreSQL server of the test's own, through both ODBC forms of
// the connection string.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "database/connection.h"
#include "database/database_error.h"
#include "database/probe.h"
#include "database_errors.h"
#include "postgres_server.h"
#include "provider_contract.h"
#include "support/fixture_database.h"

namespace lumbrook::database {
namespace testing {

// The sample rows in a PostgreSQL database, with the BASE_ views, for the providers' common
// tests.
struct PostgresSample : PostgresDatabase {
    PostgresSample() { Run(lumbrook::testing::InsertStatements(lumbrook::testing::SampleRows())); }
    static constexpr const char* kEndlessQuery = "SELECT pg_sleep(30)";
    static constexpr const char* kTimeoutState = "57014";
};
INSTANTIATE_TYPED_TEST_SUITE_P(Postgres, ProviderContract, PostgresSample);

}  // namespace testing
namespace {

using testing::Clock;
using testing::ErrorOf;
using testing::PostgresCluster;
using testing::PostgresDatabase;
using testing::RaisedBy;
using testing::SecondsSince;

using OdbcPostgres = testing::ProviderContract<testing::PostgresSample>;

// PostgreSQL folds names to lower case; numerics without a scale are whole numbers, beyond
// 64 bits as doubles.
TEST_F(OdbcPostgres, NamesComeInLowerCaseAndWholeNumericsAsIntegers) {
    EXPECT_EQ(connection_.Execute("SELECT * FROM JOB_RUN_ITEM_VIEW").ColumnName(0), "job_run_id");
    Recordset whole = connection_.Execute(
        "SELECT CAST(-12345678901234 AS NUMERIC(20,0)) AS N, "
        "CAST(123456789012345678901234 AS NUMERIC(30,0)) AS B, CAST(NULL AS NUMERIC(9,0)) AS Z");
    EXPECT_EQ(std::get<std::int64_t>(whole.Field("N")), -12345678901234);
    EXPECT_DOUBLE_EQ(std::get<double>(whole.Field("B")), 1.23456789012345678901234e23);
    EXPECT_TRUE(IsNull(whole.Field("Z")));
}

// Results of numbers and dates alone are fetched in blocks of rows: every row of every block,
// the short last block included, must come back in order with its NULLs where they were.
TEST_F(OdbcPostgres, ManyRowsOfFixedSizeColumnsComeBackWholeAndInOrder) {
    constexpr int kRows = 2500;
    Recordset rows = connection_.Execute(
        "SELECT g AS N, CASE WHEN g % 7 = 0 THEN NULL ELSE CAST(g / 8.0 AS NUMERIC(12,5)) END "
        "AS D, CASE WHEN g % 5 = 0 THEN NULL ELSE CAST(g AS DOUBLE PRECISION) * 0.5 END AS F, "
        "CASE WHEN g % 3 = 0 THEN NULL ELSE TIMESTAMP '2026-01-01 00:00:00' + g * "
        "INTERVAL '1 minute' END AS T FROM generate_series(1, 2500) g ORDER BY g");
    ASSERT_EQ(rows.RecordCount(), kRows);
    int wrong = 0;
    for (int g = 1; g <= kRows; ++g, rows.MoveNext()) {
        const bool ok =
            std::get<std::int64_t>(rows.Field("N")) == g &&
            (g % 7 == 0 ? IsNull(rows.Field("D")) : std::get<double>(rows.Field("D")) == g / 8.0) &&
            (g % 5 == 0 ? IsNull(rows.Field("F")) : std::get<double>(rows.Field("F")) == g * 0.5) &&
            (g % 3 == 0 ? IsNull(rows.Field("T"))
                        : std::get<DateTime>(rows.Field("T")) ==
                              (DateTime{2026, 1, 1 + g / 1440, g % 1440 / 60, g % 60, 0}));
        if (!ok && ++wrong <= 3)
            ADD_FAILURE() << "row " << g << " came back wrong";
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_TRUE(rows.IsEOF());

    Recordset none =
        connection_.Execute("SELECT 1 AS N, CAST(2.5 AS DOUBLE PRECISION) AS D WHERE FALSE");
    EXPECT_EQ(none.RecordCount(), 0);
    EXPECT_EQ(none.ColumnCount(), 2);
    // The connection's next command, with a text column read value by value, still works.
    EXPECT_EQ(std::get<std::string>(connection_.Execute("SELECT 'after' AS T").Field("T")),
              "after");
}

TEST_F(OdbcPostgres, TextIsUtf8BothWays) {
    connection_.Execute(
        "UPDATE FOLDER_OBJECT SET NAME = 'Größe µg – 蛋白' WHERE FOLDER_OBJECT_ID = 4");
    Recordset rows =
        connection_.Execute("SELECT NAME FROM FOLDER_OBJECT WHERE NAME = 'Größe µg – 蛋白'");
    ASSERT_EQ(rows.RecordCount(), 1);
    EXPECT_EQ(std::get<std::string>(rows.Field("NAME")), "Größe µg – 蛋白");
    // Longer than one read of the driver.
    const std::string longText(10000, 'x');
    Recordset big = connection_.Execute("SELECT REPEAT('x', 10000) AS T");
    EXPECT_EQ(std::get<std::string>(big.Field("T")), longText);
}

TEST(OdbcOpen, AnUnknownDataSourceFailsWithTheDriverManagersText) {
    PostgresCluster::Get();  // the private odbc.ini, without NOWHERE
    Connection connection;
    const DatabaseError unknown = RaisedBy([&] {
        connection.Open("Provider=OraOLEDB.Oracle.1;User ID=x;Password=y;Data Source=NOWHERE");
    });
    EXPECT_EQ(unknown.SqlState(), "IM002");
    EXPECT_NE(std::string(unknown.what()).find("Data source name not found"), std::string::npos)
        << unknown.what();
    EXPECT_FALSE(connection.IsOpen());
}

// The Oracle form's values go to the driver in braces, so that a ";" in a password cannot
// add attributes of its own to the ODBC string.
TEST(ProbePostgres, APasswordWithSeparatorsReachesTheServerWhole) {
    const PostgresCluster& cluster = PostgresCluster::Get();
    PostgresDatabase db;
    db.Run(
        "DROP ROLE IF EXISTS lumbrook_reader;\n"
        "CREATE ROLE lumbrook_reader LOGIN PASSWORD 'a;b=c d';\n"
        "GRANT SELECT ON ALL TABLES IN SCHEMA public TO lumbrook_reader;");
    bool useBaseViews = false;
    std::string error;
    const std::string oracleForm =
        "Provider=OraOLEDB.Oracle.1;User ID=lumbrook_reader;"
        "Password=\"a;b=c d\";Data Source=TSQUARED";
    // TSQUARED is another database, where the role may connect but read nothing.
    EXPECT_FALSE(ProbeDatabase(oracleForm, useBaseViews, &error));
    EXPECT_NE(error.find("permission denied"), std::string::npos) << error;
    EXPECT_TRUE(
        ProbeDatabase("Provider=MSDASQL;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                          std::to_string(cluster.port) + ";Database=" + db.Name() +
                          ";Uid=lumbrook_reader;Pwd={a;b=c d}",
                      useBaseViews, &error))
        << error;
    EXPECT_FALSE(
        ProbeDatabase("Provider=OraOLEDB.Oracle.1;User ID=lumbrook_reader;"
                      "Password=a;Data Source=TSQUARED",
                      useBaseViews, &error));
    EXPECT_NE(error.find("password authentication failed"), std::string::npos) << error;
    db.Run("DROP OWNED BY lumbrook_reader;\nDROP ROLE lumbrook_reader;");
}

// Stops the whole server, so it holds the fixture's lock alone (see CMakeLists.txt).
TEST(OdbcServerLoss, TheServerStoppedInMidQueryGivesItsErrorAndTheNextCommandFailsToo) {
    PostgresDatabase db;
    Connection connection;
    connection.Open(db.ConnectionString());
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        PostgresCluster::Control("stop");
    });
    const auto start = Clock::now();
    const std::string error = ErrorOf([&] { connection.Execute("SELECT pg_sleep(20)"); });
    const double elapsed = SecondsSince(start);
    stopper.join();
    EXPECT_NE(error.find("terminating connection due to administrator command"), std::string::npos)
        << error;
    EXPECT_LT(elapsed, 10.0);
    const std::string next = ErrorOf([&] { connection.Execute("SELECT 1"); });
    EXPECT_NE(next, "(no error)");
    EXPECT_FALSE(next.empty());
    PostgresCluster::Control("start");
    // A new connection works once the server is back.
    Connection again;
    again.Open(db.ConnectionString());
    EXPECT_EQ(again.Execute("SELECT 1 AS N").RecordCount(), 1);
}

}  // namespace
}  // namespace lumbrook::database
