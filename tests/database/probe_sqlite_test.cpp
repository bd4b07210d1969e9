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

}  // namespace
}  // namespace lumbrook::database
