// The PostgreSQL suite's main: the private ODBC files before any connection is made.
#include <gtest/gtest.h>

#include "postgres_server.h"

int main(int argc, char** argv) {
    lumbrook::database::testing::UsePrivateOdbcFiles();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
