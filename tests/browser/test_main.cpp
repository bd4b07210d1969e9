// The browser tests run the real widgets under the offscreen platform, with preferences and
// ODBC files in a private folder (the default connection string must reach no data source of
// the machine) and an application title of their own, so that parallel test processes never
// take each other for a running instance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "fixture.h"

int main(int argc, char** argv) {
    using namespace lumbrook::testing;
    ::testing::InitGoogleTest(&argc, argv);
    // The programs the tests start (first instances, the host) make their temporary
    // folders in this process's scratch folder, which goes at the end with everything in it,
    // also the folders of first instances that were killed. A first instance keeps the
    // test's temporary folder, where the instance channel's socket is.
    const bool firstInstance = argc == 4 && std::strcmp(argv[1], "--first-instance") == 0;
    if (!firstInstance)
        setenv("TMPDIR", ScratchFolder().c_str(), 1);
    int status = 1;
    {
        const ScopedConfigHome config;
        UsePrivateOdbcFiles(config.path());
        if (StartOffscreenSession("Lumbrook test"))
            status = firstInstance ? RunFirstInstance(argv[2], argv[3]) : RUN_ALL_TESTS();
    }
    RemoveTree(ScratchFolder());
    return status;
}
