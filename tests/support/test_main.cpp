// The main of the test suites: the whole run gets a fresh XDG_CONFIG_HOME, so that no test
// sees or changes the user's real preferences, and ODBC files of its own there, so that the
// default connection string never reaches a data source of the machine. The folder is
// removed at the end.
#include <gtest/gtest.h>

#include "support/test_environment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const lumbrook::testing::ScopedConfigHome config;
    lumbrook::testing::UsePrivateOdbcFiles(config.path());
    return RUN_ALL_TESTS();
}
