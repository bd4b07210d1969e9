#include "program_queries.h"

#include <gtest/gtest.h>

#include "database/database_error.h"
#include "database/listing_queries.h"

namespace lumbrook::database::testing {
namespace {

struct Query {
    std::string text;
    long rows;
};

// The folder tree, the job-run list and the item grid (their builders' text); the export's
// queries over either pair of views, as the export engine's tests pin them.
const Query kQueries[] = {
    {FolderChildrenQuery("3"), 1},
    {JobRunsQuery("4"), 2},
    {CompletedItemsQuery(12), 1},
    {"SELECT distinct PEAK_LIST_ID, SPOT_ID, PRECURSOR_MASS, SPOT_LABEL, OPMODE_NAME from "
     "JOB_RUN_ITEM_VIEW where JOB_RUN_ID = 12 order by PEAK_LIST_ID",
     2},
    {"SELECT distinct PEAK_LIST_ID, SPOT_ID, PRECURSOR_MASS, SPOT_LABEL, OPMODE_NAME from "
     "BASE_JOB_RUN_ITEM_VIEW where JOB_RUN_ID = 12 order by PEAK_LIST_ID",
     2},
    {"SELECT distinct PEAK_LIST_ID, SPOT_ID, PRECURSOR_MASS, SPOT_LABEL from JOB_RUN_ITEM_VIEW "
     "where JOB_RUN_ITEM_ID = 345 order by PEAK_LIST_ID",
     1},
    {"Select distinct CENTROID, AREA, PEAK_LIST_ID from PEAK_VIEW where PEAK_LIST_ID >= 1001 "
     "and PEAK_LIST_ID <= 1003 and SIGNAL_TO_NOISE > 10 and CENTROID >= 60 and ISOTOPIC_FLAG >= 1 "
     "order by PEAK_LIST_ID, CENTROID",
     1},
    {"Select distinct CENTROID, AREA, PEAK_LIST_ID from BASE_PEAK_VIEW where PEAK_LIST_ID >= "
     "1001 and PEAK_LIST_ID <= 1003 and SIGNAL_TO_NOISE > 0.5 and CENTROID >= 0 and "
     "ISOTOPIC_FLAG >= 0 order by PEAK_LIST_ID, CENTROID",
     2},
    {"Select distinct CENTROID, AREA from PEAK_VIEW where JOB_RUN_ITEM_ID = 345 and "
     "SIGNAL_TO_NOISE > 8.25 and ISOTOPIC_FLAG >= 0 order by CENTROID",
     2},
};

}  // namespace

void ExpectProgramQueriesRun(Connection& connection) {
    for (const Query& query : kQueries) {
        try {
            EXPECT_EQ(connection.Execute(query.text).RecordCount(), query.rows) << query.text;
        } catch (const DatabaseError& e) {
            ADD_FAILURE() << query.text << "\n-> " << e.what();
        }
    }
    // The grid shows the mass rounded by the database.
    Recordset item = connection.Execute(kQueries[2].text);
    ASSERT_EQ(item.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(std::get<double>(item.Field("PRECURSOR_MASS")), 1234.568);
    EXPECT_EQ(item.ColumnCount(), 15);
}

void ExpectSampleValues(Connection& connection) {
    Recordset items = connection.Execute(
        "SELECT * FROM JOB_RUN_ITEM_VIEW WHERE JOB_RUN_ID = 12 ORDER BY JOB_RUN_ITEM_ID");
    ASSERT_EQ(items.RecordCount(), 2);
    EXPECT_EQ(std::get<std::int64_t>(items.Field("JOB_RUN_ITEM_ID")), 345);
    EXPECT_EQ(std::get<std::int64_t>(items.Field("Peak_List_Id")), 1001);
    EXPECT_DOUBLE_EQ(std::get<double>(items.Field("PRECURSOR_MASS")), 1234.56789);
    EXPECT_EQ(std::get<std::string>(items.Field("OPMODE_NAME")), "MS-MS 1 kV Positive");
    EXPECT_EQ(std::get<DateTime>(items.Field("JOB_FINISH_TIME")),
              (DateTime{2026, 3, 2, 10, 15, 30}));
    items.MoveNext();
    EXPECT_TRUE(IsNull(items.Field("PRECURSOR_MASS")));  // a REAL or NUMERIC column
    EXPECT_TRUE(IsNull(items.Field("SPOT_NAME")));       // a text column
    EXPECT_TRUE(IsNull(items.Field("ACQ_STATUS")));
    EXPECT_EQ(std::get<std::int64_t>(items.Field("JOB_RUN_NUMERIC_STATUS")), 3);
    Recordset run = connection.Execute("SELECT * FROM JOB_RUN WHERE JOB_RUN_ID = 13");
    EXPECT_TRUE(IsNull(run.Field("JOB_FINISH_TIME")));  // a TIMESTAMP column
}

}  // namespace lumbrook::database::testing
