// The connection, command and recordset layer, and the probe, on SQLite files built from the
// schema.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "database/connection.h"
#include "database/database_error.h"
#include "database/probe.h"
#include "database_errors.h"
#include "provider_contract.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::database {
namespace testing {

// The sample rows in an SQLite file, with the BASE_ views, for the providers' common tests.
struct SqliteSample : lumbrook::testing::FixtureDatabase {
    SqliteSample() : FixtureDatabase(lumbrook::testing::SampleRows(), /*baseViews=*/true) {}
    // Never-ending work: a recursive count without a bound.
    static constexpr const char* kEndlessQuery =
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT COUNT(*) FROM c";
    static constexpr const char* kTimeoutState = "HYT00";
};
INSTANTIATE_TYPED_TEST_SUITE_P(Sqlite, ProviderContract, SqliteSample);

}  // namespace testing
namespace {

using lumbrook::testing::FixtureDatabase;
using testing::Clock;
using testing::ErrorOf;
using testing::RaisedBy;
using testing::SecondsSince;

using SqliteConnection = testing::ProviderContract<testing::SqliteSample>;

TEST_F(SqliteConnection, RowsArePositionedByTheirNumber) {
    Recordset rows = connection_.Execute(
        "SELECT FOLDER_OBJECT_ID FROM FOLDER_OBJECT "
        "ORDER BY FOLDER_OBJECT_ID");
    ASSERT_EQ(rows.RecordCount(), 4);
    EXPECT_EQ(rows.AbsolutePosition(), 1);
    rows.SetAbsolutePosition(3);
    EXPECT_EQ(std::get<std::int64_t>(rows.Field("FOLDER_OBJECT_ID")), 3);
    rows.MoveNext();
    EXPECT_EQ(rows.AbsolutePosition(), 4);
    EXPECT_FALSE(rows.IsEOF());
    rows.MoveNext();
    EXPECT_TRUE(rows.IsEOF());
    EXPECT_EQ(rows.AbsolutePosition(), 5);
    EXPECT_NE(ErrorOf([&] { rows.Field("FOLDER_OBJECT_ID"); }).find("no current row"),
              std::string::npos);
    EXPECT_EQ(ErrorOf([&] { rows.SetAbsolutePosition(5); }),
              "Row 5 is outside the row set (1 to 4)");
    EXPECT_EQ(ErrorOf([&] { rows.SetAbsolutePosition(0); }),
              "Row 0 is outside the row set (1 to 4)");
    rows.MoveFirst();
    EXPECT_EQ(std::get<std::int64_t>(rows.Field("FOLDER_OBJECT_ID")), 1);

    Recordset none = connection_.Execute("SELECT * FROM FOLDER_OBJECT WHERE 1 = 0");
    EXPECT_EQ(none.RecordCount(), 0);
    EXPECT_TRUE(none.IsEOF());
    EXPECT_EQ(none.ColumnCount(), 5);
}

TEST_F(SqliteConnection, TheFileIsReadOnlyAndOneStatementRunsAtATime) {
    const DatabaseError readOnly =
        RaisedBy([&] { connection_.Execute("DELETE FROM FOLDER_OBJECT"); });
    EXPECT_STREQ(readOnly.what(), "attempt to write a readonly database");
    EXPECT_EQ(readOnly.NativeCode() & 0xff, SQLITE_READONLY);
    EXPECT_NE(ErrorOf([&] {
                  connection_.Execute("SELECT 1; DELETE FROM FOLDER_OBJECT");
              }).find("one statement"),
              std::string::npos);
    EXPECT_EQ(connection_.Execute("SELECT COUNT(*) AS N FROM FOLDER_OBJECT").Field("N"),
              Value(std::int64_t{4}));
}

TEST_F(SqliteConnection, ALockedDatabaseIsWaitedForUpToTheTimeOut) {
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db_.Path().c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto start = Clock::now();
    EXPECT_EQ(ErrorOf([&] { connection_.Execute("SELECT * FROM FOLDER_OBJECT", 1); }),
              "database is locked");
    double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.9);
    EXPECT_LT(elapsed, 2.0);

    // A writer that finishes within the time-out only delays the reader.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    });
    start = Clock::now();
    EXPECT_EQ(connection_.Execute("SELECT * FROM FOLDER_OBJECT", 5).RecordCount(), 4);
    release.join();
    EXPECT_GE(SecondsSince(start), 0.2);
    sqlite3_close(writer);
}

TEST(SqliteOpen, ProvidersAreChosenByName) {
    FixtureDatabase db;
    Connection connection;
    connection.Open("provider=sqlite;data source='" + db.Path() + "'");
    EXPECT_EQ(ErrorOf([&] { connection.Open(db.ConnectionString()); }),
              "The connection is already open");
    connection.Close();
    EXPECT_EQ(ErrorOf([&] { connection.Close(); }), "The connection is not open");
    EXPECT_EQ(ErrorOf([&] { connection.Execute("SELECT 1"); }), "The connection is not open");
    connection.Open(db.ConnectionString());  // a closed connection opens again
    EXPECT_EQ(connection.Execute("SELECT 1 AS N").RecordCount(), 1);

    // An unknown provider's whole message is the host's to check (database.host_commands).
    Connection other;
    EXPECT_EQ(ErrorOf([&] { other.Open("Provider=SQLite.x;Data Source=x"); }).substr(0, 26),
              "Provider cannot be found: ");
    EXPECT_EQ(ErrorOf([&] { other.Open("Provider=SQLite"); }),
              "The SQLite connection string names no Data Source");
    EXPECT_FALSE(other.IsOpen());
}

// An empty FOLDER_OBJECT is enough; a database without one (an empty file is such a
// database) is refused with the database's reason, and the flag stays as it was.
TEST(ProbeSqlite, AnEmptyReadableFolderTableIsEnoughAndNoneIsRefused) {
    FixtureDatabase db;
    lumbrook::testing::WriteFile(db.File("empty.sqlite"), "");
    bool useBaseViews = true;
    std::string error;
    EXPECT_FALSE(ProbeDatabase("Provider=SQLite;Data Source=" + db.File("empty.sqlite"),
                               useBaseViews, &error));
    EXPECT_EQ(error, "no such table: FOLDER_OBJECT");
    EXPECT_TRUE(useBaseViews);

    EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews, &error));
    EXPECT_FALSE(useBaseViews);
    EXPECT_EQ(error, "");  // the previous failure's text is gone
}

}  // namespace
}  // namespace lumbrook::database
