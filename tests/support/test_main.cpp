// The main of the test suites: the whole run gets a fresh XDG_CONFIG_HOME, so that no test
// sees or changes the user's real preferences, and the folder is removed at the end.
#include <gtest/gtest.h>

#include "support/test_environment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const lumbrook::testing::ScopedConfigHome config;
    return RUN_ALL_TESTS();
}
