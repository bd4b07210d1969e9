// What every provider does alike, as a typed test that each back end's suite instantiates with
// a database type of its own. A new object of that type holds the sample rows (SampleRows)
// and the BASE_ views; it offers ConnectionString() and Run(sql), and names a query that never
// ends (kEndlessQuery) and the SQLSTATE its time-out raises (kTimeoutState).
#pragma once

#include <gtest/gtest.h>

#include "database/connection.h"
#include "database/database_error.h"
#include "database/probe.h"
#include "database_errors.h"
#include "export/export_sql.h"

namespace lumbrook::database::testing {

template <typename Database>
class ProviderContract : public ::testing::Test {
  protected:
    void SetUp() override { connection_.Open(db_.ConnectionString()); }
    Database db_;
    Connection connection_;
};

TYPED_TEST_SUITE_P(ProviderContract);

TYPED_TEST_P(ProviderContract, ValuesComeWithTheirTypesAndNullsOfEveryType) {
    Connection& connection = this->connection_;
    Recordset items = connection.Execute(
        "SELECT * FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12 ORDER BY JOB_RUN_ITEM_ID");
    ASSERT_EQ(items.RecordCount(), 2);
    EXPECT_EQ(std::get<std::int64_t>(items.Field("JOB_RUN_ITEM_ID")), 345);
    EXPECT_DOUBLE_EQ(std::get<double>(items.Field("PRECURSOR_MASS")), 1234.56789);
    EXPECT_EQ(std::get<std::string>(items.Field("OPMODE_NAME")), "MS-MS 1 kV Positive");
    EXPECT_EQ(std::get<DateTime>(items.Field("JOB_FINISH_TIME")),
              (DateTime{2026, 3, 2, 10, 15, 30}));
    items.MoveNext();
    EXPECT_TRUE(IsNull(items.Field("PRECURSOR_MASS")));  // a REAL or NUMERIC column
    EXPECT_TRUE(IsNull(items.Field("SPOT_NAME")));       // a text column
    EXPECT_EQ(std::get<std::int64_t>(items.Field("JOB_RUN_NUMERIC_STATUS")), 3);
    Recordset run = connection.Execute("SELECT * FROM JOB_RUN WHERE JOB_RUN_ID = 13");
    EXPECT_TRUE(IsNull(run.Field("JOB_FINISH_TIME")));  // a TIMESTAMP column

    Recordset peaks = connection.Execute(
        "SELECT * FROM BASE_PEAK_VIEW WHERE PEAK_LIST_ID >= 1001 ORDER BY PEAK_LIST_ID, CENTROID");
    ASSERT_EQ(peaks.RecordCount(), 3);
    EXPECT_DOUBLE_EQ(std::get<double>(peaks.Field("AREA")), 1500.5);  // double precision
    EXPECT_DOUBLE_EQ(std::get<double>(peaks.Field("CENTROID")), 175.11895);
    EXPECT_DOUBLE_EQ(std::get<double>(peaks.Field("APEX")), 310.0);
    EXPECT_EQ(std::get<std::int64_t>(peaks.Field("ISOTOPIC_FLAG")), 1);
    peaks.SetAbsolutePosition(3);
    EXPECT_TRUE(IsNull(peaks.Field("AREA")));
    EXPECT_TRUE(IsNull(peaks.Field("SIGNAL_TO_NOISE")));
    EXPECT_TRUE(IsNull(peaks.Field("APEX")));

    Recordset integer = connection.Execute("SELECT CAST(NULL AS BIGINT) AS N");
    EXPECT_TRUE(IsNull(integer.Field("n")));
    EXPECT_EQ(ErrorOf([&] { integer.Field("NN"); }), "The row set has no column named NN");
}

// The export's queries that no other test runs on both providers (a job run's over the BASE_
// views, an item's), each with its builder's text, on the schema with the expected rows. The
// listings and a job run's export over the plain views are compared between the providers
// by Workflow.SqliteAndPostgresListAndExportTheSame and ExportFromPostgres.
TYPED_TEST_P(ProviderContract, TheProgramsQueriesRunOnTheSchema) {
    using exporting::ViewsFor;
    const std::pair<std::string, long> queries[] = {
        {exporting::SpectrumQuery(ViewsFor(true), true, 12, 0), 2},
        {exporting::BatchPeakQuery(ViewsFor(true), 1001, 1003, 0.5, 0, 0), 2},
        {exporting::SpectrumQuery(ViewsFor(false), false, 0, 345), 1},
        {exporting::ItemPeakQuery(ViewsFor(false), 345, 8.25, 0), 2},
    };
    for (const auto& [text, rows] : queries) {
        try {
            EXPECT_EQ(this->connection_.Execute(text).RecordCount(), rows) << text;
        } catch (const DatabaseError& e) {
            ADD_FAILURE() << text << "\n-> " << e.what();
        }
    }
}

TYPED_TEST_P(ProviderContract, AQueryPastTheTimeOutFailsAndTheConnectionStaysUsable) {
    const auto start = Clock::now();
    const DatabaseError timeout =
        RaisedBy([&] { this->connection_.Execute(TypeParam::kEndlessQuery, 1); });
    EXPECT_EQ(timeout.SqlState(), TypeParam::kTimeoutState) << timeout.what();
    const double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.9);
    EXPECT_LT(elapsed, 2.0);
    EXPECT_EQ(this->connection_.Execute("SELECT 7 AS N").Field("N"), Value(std::int64_t{7}));
}

TYPED_TEST_P(ProviderContract, BothBaseViewsSetTheProbesFlagAndAMissingOneClearsIt) {
    bool useBaseViews = false;
    EXPECT_TRUE(ProbeDatabase(this->db_.ConnectionString(), useBaseViews));
    EXPECT_TRUE(useBaseViews);
    // Either view missing, or a BASE_PEAK_VIEW without APEX.
    for (const char* change :
         {"DROP VIEW BASE_PEAK_VIEW;", "DROP VIEW BASE_JOB_RUN_ITEM_VIEW;",
          "DROP VIEW BASE_PEAK_VIEW;\nCREATE VIEW BASE_PEAK_VIEW AS SELECT * FROM PEAK_VIEW;"}) {
        TypeParam db;
        db.Run(change);
        useBaseViews = true;
        EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews)) << change;
        EXPECT_FALSE(useBaseViews) << change;
    }
}

REGISTER_TYPED_TEST_SUITE_P(ProviderContract, ValuesComeWithTheirTypesAndNullsOfEveryType,
                            TheProgramsQueriesRunOnTheSchema,
                            AQueryPastTheTimeOutFailsAndTheConnectionStaysUsable,
                            BothBaseViewsSetTheProbesFlagAndAMissingOneClearsIt);

}  // namespace lumbrook::database::testing
