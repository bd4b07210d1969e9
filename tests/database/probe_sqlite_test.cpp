// ProbeDatabase on SQLite files.
#include <gtest/gtest.h>

#include "database/probe.h"
#include "support/fixture_database.h"
#include "support/test_environment.h"

namespace lumbrook::database {
namespace {

using lumbrook::testing::FixtureDatabase;

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

// An empty FOLDER_OBJECT is enough; a database without one (an empty file is such a
// database) is refused with the database's reason, and the flag stays as it was.
TEST(ProbeSqlite, AnEmptyReadableFolderTableIsEnoughAndNoneIsRefused) {
    FixtureDatabase db;
    bool useBaseViews = true;
    std::string error = "stale";
    EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews, &error));
    EXPECT_FALSE(useBaseViews);
    EXPECT_EQ(error, "");

    lumbrook::testing::WriteFile(db.File("empty.sqlite"), "");
    useBaseViews = true;
    EXPECT_FALSE(ProbeDatabase("Provider=SQLite;Data Source=" + db.File("empty.sqlite"),
                               useBaseViews, &error));
    EXPECT_EQ(error, "no such table: FOLDER_OBJECT");
    EXPECT_TRUE(useBaseViews);
}

TEST(ProbeSqlite, BothBaseViewsSetTheFlagAndAMissingOneClearsIt) {
    FixtureDatabase full(lumbrook::testing::SampleRows(), /*baseViews=*/true);
    bool useBaseViews = false;
    EXPECT_TRUE(ProbeDatabase(full.ConnectionString(), useBaseViews));
    EXPECT_TRUE(useBaseViews);
    // Either view missing, or a BASE_PEAK_VIEW without APEX.
    for (const char* change :
         {"DROP VIEW BASE_PEAK_VIEW", "DROP VIEW BASE_JOB_RUN_ITEM_VIEW",
          "DROP VIEW BASE_PEAK_VIEW; CREATE VIEW BASE_PEAK_VIEW AS SELECT * FROM PEAK_VIEW"}) {
        FixtureDatabase db({}, /*baseViews=*/true);
        db.Run(change);
        useBaseViews = true;
        EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews)) << change;
        EXPECT_FALSE(useBaseViews) << change;
    }
}

}  // namespace
}  // namespace lumbrook::database
