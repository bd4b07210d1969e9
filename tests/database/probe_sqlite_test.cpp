// ProbeDatabase on SQLite files.
#include <gtest/gtest.h>

#include <filesystem>

#include "database/probe.h"
#include "sqlite_database.h"

namespace lumbrook::database {
namespace {

using testing::SqliteDatabase;

TEST(ProbeSqlite, AnInvalidStringGivesFalseAndLeavesTheFlag) {
    for (bool before : {false, true}) {
        bool useBaseViews = before;
        std::string error;
        EXPECT_FALSE(ProbeDatabase("Provider=Nowhere;Data Source=x", useBaseViews, &error));
        EXPECT_EQ(useBaseViews, before);
        EXPECT_NE(error.find("Nowhere"), std::string::npos) << error;
        EXPECT_FALSE(ProbeDatabase("not a connection string", useBaseViews, &error));
        EXPECT_EQ(useBaseViews, before);
    }
}

TEST(ProbeSqlite, AMissingFileGivesFalseAndNoFileAppears) {
    SqliteDatabase db;
    const std::string missing = db.Folder() + "/absent.sqlite";
    bool useBaseViews = false;
    EXPECT_FALSE(ProbeDatabase("Provider=SQLite;Data Source=" + missing, useBaseViews));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(ProbeSqlite, AnEmptyReadableFolderTableIsEnough) {
    SqliteDatabase db(/*baseViews=*/false);
    bool useBaseViews = true;
    std::string error = "stale";
    EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews, &error));
    EXPECT_FALSE(useBaseViews);
    EXPECT_EQ(error, "");
}

TEST(ProbeSqlite, BothBaseViewsSetTheFlagAndAMissingOneClearsIt) {
    SqliteDatabase full(/*baseViews=*/true);
    full.AddSampleRows();
    bool useBaseViews = false;
    EXPECT_TRUE(ProbeDatabase(full.ConnectionString(), useBaseViews));
    EXPECT_TRUE(useBaseViews);

    SqliteDatabase noPeakView(/*baseViews=*/true);
    noPeakView.Run("DROP VIEW BASE_PEAK_VIEW");
    EXPECT_TRUE(ProbeDatabase(noPeakView.ConnectionString(), useBaseViews));
    EXPECT_FALSE(useBaseViews);

    useBaseViews = true;
    SqliteDatabase noItemView(/*baseViews=*/true);
    noItemView.Run("DROP VIEW BASE_JOB_RUN_ITEM_VIEW");
    EXPECT_TRUE(ProbeDatabase(noItemView.ConnectionString(), useBaseViews));
    EXPECT_FALSE(useBaseViews);

    // A BASE_PEAK_VIEW without APEX does not count.
    useBaseViews = true;
    SqliteDatabase noApex(/*baseViews=*/true);
    noApex.Run("DROP VIEW BASE_PEAK_VIEW; CREATE VIEW BASE_PEAK_VIEW AS SELECT * FROM PEAK_VIEW");
    EXPECT_TRUE(ProbeDatabase(noApex.ConnectionString(), useBaseViews));
    EXPECT_FALSE(useBaseViews);
}

TEST(ProbeSqlite, AFailedProbeAfterASuccessfulOneLeavesTheFlag) {
    SqliteDatabase full(/*baseViews=*/true);
    bool useBaseViews = false;
    ASSERT_TRUE(ProbeDatabase(full.ConnectionString(), useBaseViews));
    ASSERT_TRUE(useBaseViews);

    // Not a 4000 Series database: no FOLDER_OBJECT.
    SqliteDatabase other(/*baseViews=*/true);
    other.Run(
        "DROP VIEW JOB_RUN_ITEM_VIEW; DROP VIEW BASE_JOB_RUN_ITEM_VIEW; "
        "DROP VIEW BASE_PEAK_VIEW; DROP VIEW PEAK_VIEW; DROP TABLE PEAK; "
        "DROP TABLE PEAK_LIST; DROP TABLE JOB_RUN_ITEM; DROP TABLE JOB_RUN; "
        "DROP TABLE SPOT; DROP TABLE FOLDER_OBJECT");
    std::string error;
    EXPECT_FALSE(ProbeDatabase(other.ConnectionString(), useBaseViews, &error));
    EXPECT_EQ(error, "no such table: FOLDER_OBJECT");
    EXPECT_TRUE(useBaseViews);
}

}  // namespace
}  // namespace lumbrook::database
