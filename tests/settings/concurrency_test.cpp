// Processes writing preferences at once, with others reading all the while, and writers
// killed in the middle of a change.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>  // what a killed writer left beside the hive
#include <string>
#include <vector>

#include "settings/preferences.h"
#include "settings/settings_store.h"
#include "support/object_support.h"
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
    EXPECT_EQ(ExitStatus(watcher), 0) << "the reader saw a broken file";

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
}

TEST(Concurrency, WritersKilledInTheMiddleLeaveAtMostOneFileBehind) {
    lumbrook::testing::ScopedConfigHome home;
    WriteSetting(kAppName, kSection, kFilter, "100,15,3,0");
    const std::string never = home.path() + "/never";
    for (int i = 0; i < 12; ++i) {
        // Every change rewrites a hive of 3 MB; each writer is killed at another point of it.
        const pid_t writer = Spawn({"alternate", "Big", "3000000", "3000001", never});
        usleep(100000 + 15000 * i);
        kill(writer, SIGKILL);
        EXPECT_EQ(waitpid(writer, nullptr, 0), writer);
    }
    std::vector<std::string> strays;
    for (const auto& entry : std::filesystem::directory_iterator(home.path() + "/lumbrook")) {
        const std::string name = entry.path().filename();
        if (name != "HKEY_CURRENT_USER.reg" && name != "HKEY_CURRENT_USER.reg.lock")
            strays.push_back(name);
    }
    EXPECT_LE(strays.size(), 1u) << ::testing::PrintToString(strays);
    // The hive is whole, and still takes changes.
    EXPECT_EQ(ReadSetting(kAppName, kSection, kFilter), TaggedValue(std::string("100,15,3,0")));
    WriteSetting(kAppName, kSection, "Big", "small");
    EXPECT_EQ(ReadSetting(kAppName, kSection, "Big"), TaggedValue(std::string("small")));
}

TEST(Concurrency, ANewObjectAlwaysSeesTheStoredConnectionString) {
    lumbrook::testing::ScopedConfigHome home;
    // The writer alternates a short and a long value: a start-up whose enumeration met the
    // long one with buffers sized for the short one once passed it over.
    const std::string shortText(30, 'S');
    const std::string longText(330, 'L');
    WriteSetting(kAppName, kSection, kODBCConnect, shortText);
    const std::string stopFile = home.path() + "/stop";
    const pid_t writer = Spawn({"alternate", kODBCConnect, "30", "330", stopFile});
    constexpr int kCreations = 20000;
    int wrong = 0;
    for (int i = 0; i < kCreations && wrong < 5; ++i) {
        auto object = automation::testing::NewObject();
        platform::Bstr text;
        ASSERT_EQ(object->get_ODBCString(text.out()), S_OK);
        const std::string seen = text.Utf8();
        if (seen != shortText && seen != longText) {
            ++wrong;
            ADD_FAILURE() << "creation " << i << " started with \"" << seen << '"';
        }
    }
    lumbrook::testing::WriteFile(stopFile, "");
    EXPECT_EQ(ExitStatus(writer), 0);
}

}  // namespace
}  // namespace lumbrook::settings
