#include "database/dialect.h"

#include <gtest/gtest.h>

namespace lumbrook::database {
namespace {

TEST(Dialect, OnlyATrailingRownumLimitBecomesLimit) {
    EXPECT_EQ(RewriteRownumLimit("select x from t\n  where  rownum<=250  \n"),
              "select x from t\n  LIMIT 250");
    EXPECT_EQ(RewriteRownumLimit("SELECT x FROM (SELECT y FROM t)WHERE ROWNUM <= 3"),
              "SELECT x FROM (SELECT y FROM t) LIMIT 3");
    // Everything else is left alone.
    const char* unchanged[] = {
        "SELECT * FROM T WHERE ROWNUM <= 1 ORDER BY NAME",
        "SELECT * FROM T WHERE ROWNUM < 5",
        "SELECT * FROM T WHERE ROWNUM <= n",
        "SELECT * FROM T WHERE MYROWNUM <= 1",
        "SELECT * FROM T NOWHERE ROWNUM <= 1",
        "SELECT * FROM T WHERE A = 1 AND ROWNUM <= 1",
        "SELECT * FROM T WHEREROWNUM <= 1",
        "",
    };
    for (const char* sql : unchanged)
        EXPECT_EQ(RewriteRownumLimit(sql), sql);
}

}  // namespace
}  // namespace lumbrook::database
