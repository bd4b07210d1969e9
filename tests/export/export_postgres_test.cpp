// The same job run in SQLite and in PostgreSQL (through ODBC) exports to the same bytes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "database/connection.h"
#include "export/export_peak_lists.h"
#include "fixture_database.h"
#include "postgres_server.h"

namespace lumbrook::exporting {
namespace {

using database::testing::PostgresDatabase;
using testing::FixtureDatabase;
using testing::ReadFile;
using testing::TempPath;

// The rows, as statements both databases take: 450 spectra over three batches, every
// seventh in another job run, labels with commas and non-ASCII letters, masses of at most
// five decimal places (PostgreSQL keeps them as NUMERIC(12, 5)), areas at rounding halves
// and null, peaks on both sides of every filter.
std::string JobRunRows() {
    std::string sql =
        "INSERT INTO JOB_RUN (JOB_RUN_ID, SPOT_SET_ID, OPMODE_NAME) VALUES (12, 3, "
        "'MS-MS 1 kV');\n"
        "INSERT INTO JOB_RUN (JOB_RUN_ID, SPOT_SET_ID, OPMODE_NAME) VALUES (13, 3, "
        "'MS-MS 2 kV');\n";
    for (int id = 1; id <= 450; ++id) {
        const std::string n = std::to_string(id);
        const int jobRun = id % 7 == 0 ? 13 : 12;
        const std::string label = id % 5 == 0 ? "Ä" + n + ", left" : "B" + n;
        sql += "INSERT INTO SPOT (SPOT_ID, SPOT_SET_ID, SPOT_LABEL) VALUES (" + n + ", 3, '" +
               label + "');\n";
        const std::string precursor = id % 11 == 0 ? "950" : std::to_string(800 + id) + ".12345";
        sql +=
            "INSERT INTO JOB_RUN_ITEM (JOB_RUN_ITEM_ID, JOB_RUN_ID, SPOT_ID, PRECURSOR_MASS, "
            "JOB_RUN_NUMERIC_STATUS) VALUES (" +
            n + ", " + std::to_string(jobRun) + ", " + n + ", " + precursor + ", 9);\n";
        sql += "INSERT INTO PEAK_LIST (PEAK_LIST_ID, JOB_RUN_ITEM_ID) VALUES (" + n + ", " + n +
               ");\n";
        for (int k = 0; k < 6; ++k) {
            const std::string centroid = std::to_string(59 + (id * 37 + k * 101) % 800) + "." +
                                         std::to_string(10000 + k * 1731);
            const std::string area = k == 3   ? "NULL"
                                     : k == 4 ? "0.0125"
                                     : k == 5 ? "0.0135"
                                              : std::to_string(id * 10 + k) + ".5";
            const std::string s2n = k == 2 ? "10" : std::to_string(5 + (id + k) % 50);
            const std::string flag = (id + k) % 4 == 0 ? "0" : "1";
            sql +=
                "INSERT INTO PEAK (PEAK_LIST_ID, PEAK_NUMBER, CENTROID, AREA, SIGNAL_TO_NOISE, "
                "ISOTOPIC_FLAG, APEX) VALUES (" +
                n + ", " + std::to_string(k + 1) + ", " + centroid + ", " + area + ", " + s2n +
                ", " + flag + ", 0);\n";
        }
    }
    return sql;
}

std::string Export(const std::string& connectionString, const std::string& out) {
    auto connection = std::make_unique<database::Connection>();
    connection->Open(connectionString);
    connection->SetCursorLocation(database::CursorLocation::Client);
    const ExportRequest request{
        .jobRunId = 12,
        .allSpectra = true,
        .msType = "MS-MS",
        .filter = {.s2n = 10, .monoisotopic = 1, .minMass = 60, .maxMass = 20}};
    ExportListener quiet;
    EXPECT_TRUE(ExportPeakLists(request, out, connection, quiet));
    return ReadFile(out).value_or("(no file)");
}

TEST(ExportFromPostgres, GivesTheSameBytesAsFromSqlite) {
    const std::string rows = JobRunRows();
    FixtureDatabase sqlite(TempPath("same_bytes.sqlite"));
    sqlite.Begin();
    sqlite.Run(rows);
    sqlite.Commit();
    PostgresDatabase postgres(false);
    postgres.Run(
        "INSERT INTO FOLDER_OBJECT VALUES (2, NULL, 'Projects', 2, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (3, 2, 'Set1', 6, 1);\n" +
        rows);

    const std::string fromSqlite = Export(sqlite.ConnectionString(), TempPath("same_bytes_1.qpk"));
    const std::string fromPostgres =
        Export(postgres.ConnectionString(), TempPath("same_bytes_2.qpk"));
    ASSERT_GT(fromSqlite.size(), 10000u);
    EXPECT_NE(fromSqlite.find("TITLE=Label: Ä5, left Spot_Id: 5,"), std::string::npos);
    EXPECT_NE(fromSqlite.find("\t0.012\r\n"), std::string::npos);
    EXPECT_NE(fromSqlite.find("PEPMASS=950\r\n"), std::string::npos);
    if (fromSqlite != fromPostgres) {
        std::size_t at = 0;
        while (at < fromSqlite.size() && at < fromPostgres.size() &&
               fromSqlite[at] == fromPostgres[at])
            ++at;
        const std::size_t from = at < 200 ? 0 : at - 200;
        ADD_FAILURE() << "the files differ at byte " << at << "\nSQLite:\n"
                      << fromSqlite.substr(from, 300) << "\nPostgreSQL:\n"
                      << fromPostgres.substr(from, 300);
    }
}

}  // namespace
}  // namespace lumbrook::exporting
