// The browser tests run the real widgets under the offscreen platform, with preferences in
// a private folder and an application title of their own, so that parallel test processes
// never take each other for a running instance.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!lumbrook::testing::StartOffscreenSession("Lumbrook test"))
        return 1;
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;  // a leftover scratch folder is no test failure
    std::filesystem::remove_all(lumbrook::testing::ScratchFolder(), ignored);
    return status;
}
