// Two processes writing preferences at once, and a third reading all the while.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "support/test_environment.h"

extern "C" char** environ;

namespace lumbrook::settings {
namespace {

pid_t Spawn(std::vector<std::string> args) {
    args.insert(args.begin(), LUMBROOK_PREFERENCE_WRITER);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    // The children inherit this process's environment, and so its XDG_CONFIG_HOME.
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    return pid;
}

int ExitStatus(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(Concurrency, TwoWritersLoseNothingAndAReaderAlwaysSeesAWholeFile) {
    lumbrook::testing::ScopedConfigHome home;
    constexpr int kCount = 200;
    const std::string stopFile = home.path() + "/stop";
    const pid_t watcher = Spawn({"watch", stopFile});
    const pid_t first = Spawn({"write", "a", std::to_string(kCount)});
    const pid_t second = Spawn({"write", "b", std::to_string(kCount)});
    EXPECT_EQ(ExitStatus(first), 0);
    EXPECT_EQ(ExitStatus(second), 0);
    lumbrook::testing::WriteFile(stopFile, "");
    EXPECT_EQ(ExitStatus(watcher), 0) << "the reader saw a file it could not parse";

    int missing = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kCount; ++i) {
            const std::string name = prefix + std::to_string(i);
            const TaggedValue value = ReadSetting(kAppName, kSection, name);
            if (value != TaggedValue(std::string("value of ") + name)) {
                ++missing;
                ADD_FAILURE() << name << " is missing or wrong: \"" << ToText(value) << '"';
            }
            if (missing > 5)
                return;  // enough to tell what went wrong
        }
    }
    EXPECT_EQ(lumbrook::testing::FileMode(home.HivePath()), 0600);
}

}  // namespace
}  // namespace lumbrook::settings
