// The same job run in SQLite and in PostgreSQL (through ODBC) exports to the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "job_run_fixture.h"
#include "postgres_server.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::exporting {
namespace {

using database::testing::PostgresDatabase;
using lumbrook::testing::Export;
using lumbrook::testing::FileExists;
using lumbrook::testing::FixtureDatabase;
using lumbrook::testing::Number;
using lumbrook::testing::ProjectsWithSet1;
using lumbrook::testing::ReadFile;
using lumbrook::testing::Rows;

// The rows both databases get: 450 spectra over three batches, every seventh in another job
// run, labels with commas and non-ASCII letters, masses of at most five decimal places
// (PostgreSQL keeps them as NUMERIC(12, 5)), areas at rounding halves and null, peaks on both
// sides of every filter. Values are parsed from decimal text, as the database would.
Rows JobRunRows() {
    Rows rows = ProjectsWithSet1();
    rows.jobRuns = {{12, 3, "MS-MS 1 kV"}, {13, 3, "MS-MS 2 kV"}};
    for (int id = 1; id <= 450; ++id) {
        const std::string n = std::to_string(id);
        const double precursor =
            id % 11 == 0 ? 950 : std::stod(std::to_string(800 + id) + ".12345");
        rows.Spectrum(id, id % 7 == 0 ? 13 : 12, id % 5 == 0 ? "\xC3\x84" + n + ", left" : "B" + n,
                      precursor);
        for (int k = 0; k < 6; ++k) {
            const double centroid = std::stod(std::to_string(59 + (id * 37 + k * 101) % 800) + "." +
                                              std::to_string(10000 + k * 1731));
            const Number area = k == 3   ? Number()
                                : k == 4 ? 0.0125
                                : k == 5 ? 0.0135
                                         : std::stod(std::to_string(id * 10 + k) + ".5");
            rows.peaks.push_back({id, k + 1, centroid, area, k == 2 ? 10.0 : 5 + (id + k) % 50,
                                  (id + k) % 4 == 0 ? 0 : 1, 0.0});
        }
    }
    return rows;
}

// The file of job run 12 exported from `db`.
template <typename Database>
std::string Exported(const Database& db, const std::string& out) {
    Export request(db);
    EXPECT_TRUE(request.Run(out));
    return FileExists(out) ? ReadFile(out) : "(no file)";
}

TEST(ExportFromPostgres, GivesTheSameBytesAsFromSqlite) {
    const Rows rows = JobRunRows();
    FixtureDatabase sqlite(rows);
    PostgresDatabase postgres(false);
    postgres.Run(lumbrook::testing::InsertStatements(rows));

    const std::string fromSqlite = Exported(sqlite, sqlite.File("same_bytes_1.qpk"));
    const std::string fromPostgres = Exported(postgres, sqlite.File("same_bytes_2.qpk"));
    ASSERT_GT(fromSqlite.size(), 10000u);
    EXPECT_NE(fromSqlite.find("TITLE=Label: Ä5, left Spot_Id: 5,"), std::string::npos);
    EXPECT_NE(fromSqlite.find("\t0.012\r\n"), std::string::npos);
    EXPECT_NE(fromSqlite.find("PEPMASS=950\r\n"), std::string::npos);
    // The stretch around the first byte that differs, or the ends of equal files, and then
    // the sizes: together an exact comparison that shows where the files part.
    const auto differ = std::mismatch(fromSqlite.begin(), fromSqlite.end(), fromPostgres.begin(),
                                      fromPostgres.end());
    const auto from =
        static_cast<std::size_t>(std::max(differ.first - fromSqlite.begin() - 200, 0L));
    EXPECT_EQ(fromSqlite.substr(from, 300), fromPostgres.substr(from, 300));
    EXPECT_EQ(fromSqlite.size(), fromPostgres.size());
}

}  // namespace
}  // namespace lumbrook::exporting
