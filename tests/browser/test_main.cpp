// The browser tests run the real widgets under the offscreen platform, with preferences in
// a private folder and an application title of their own, so that parallel test processes
// never take each other for a running instance.
#include <gtest/gtest.h>
#include <unistd.h>  // getpid

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fixture.h"
#include "platform/app/app.h"
#include "platform/ui/application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string config = lumbrook::testing::ScratchFolder() + "/config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    lumbrook::platform::SetAppTitle("Lumbrook test " + std::to_string(::getpid()));
    std::string whyNot;
    if (!lumbrook::platform::StartApplication(whyNot)) {
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return 1;
    }
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;  // a leftover scratch folder is no test failure
    std::filesystem::remove_all(lumbrook::testing::ScratchFolder(), ignored);
    return status;
}
