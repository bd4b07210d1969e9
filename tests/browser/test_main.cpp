// The browser tests run the real widgets under the offscreen platform, with preferences in
// a private folder and an application title of their own, so that parallel test processes
// never take each other for a running instance.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fixture.h"
#include "support/test_environment.h"

int main(int argc, char** argv) {
    using namespace lumbrook::testing;
    ::testing::InitGoogleTest(&argc, argv);
    // The programs the tests start (the instance helpers, the host) make their temporary
    // folders in this process's scratch folder, which goes at the end with everything in it,
    // also the folders of helpers that were killed.
    setenv("TMPDIR", ScratchFolder().c_str(), 1);
    int status = 1;
    {
        const ScopedConfigHome config;
        if (StartOffscreenSession("Lumbrook test"))
            status = RUN_ALL_TESTS();
    }
    RemoveTree(ScratchFolder());
    return status;
}
