// ProbeDatabase on PostgreSQL databases, through both ODBC forms of the connection string.
#include <gtest/gtest.h>

#include "database/probe.h"
#include "postgres_server.h"

namespace lumbrook::database {
namespace {

using testing::PostgresCluster;
using testing::PostgresDatabase;

TEST(ProbePostgres, BothBaseViewsSetTheFlagAndAMissingOneClearsIt) {
    PostgresDatabase db(/*baseViews=*/true);
    db.AddSampleRows();
    bool useBaseViews = false;
    EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews));
    EXPECT_TRUE(useBaseViews);
    db.Run("DROP VIEW BASE_PEAK_VIEW;");
    EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews));
    EXPECT_FALSE(useBaseViews);
    // BASE_PEAK_VIEW without APEX does not count either.
    db.Run("CREATE VIEW BASE_PEAK_VIEW AS SELECT * FROM PEAK_VIEW;");
    useBaseViews = true;
    EXPECT_TRUE(ProbeDatabase(db.ConnectionString(), useBaseViews));
    EXPECT_FALSE(useBaseViews);
}

TEST(ProbePostgres, TheOracleFormReachesTheDataSourceAndAFailureLeavesTheFlag) {
    const PostgresCluster& cluster = PostgresCluster::Get();
    bool useBaseViews = false;
    ASSERT_TRUE(ProbeDatabase(cluster.OracleString(), useBaseViews));
    EXPECT_TRUE(useBaseViews);
    // A schema user without FOLDER_OBJECT: the folder probe fails, the flag stays.
    PostgresDatabase other(/*baseViews=*/true);
    other.Run("DROP TABLE FOLDER_OBJECT CASCADE;");
    std::string error;
    EXPECT_FALSE(ProbeDatabase(other.ConnectionString(), useBaseViews, &error));
    EXPECT_NE(error.find("relation \"folder_object\" does not exist"), std::string::npos) << error;
    EXPECT_TRUE(useBaseViews);
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

}  // namespace
}  // namespace lumbrook::database
