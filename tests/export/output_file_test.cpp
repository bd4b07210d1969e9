#include "export/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/file_error.h"
#include "support/sync_trace.h"
#include "support/test_environment.h"

namespace lumbrook::exporting {
namespace {

namespace fs = std::filesystem;
using lumbrook::testing::ReadFile;
using lumbrook::testing::WriteFile;

// A fresh temporary folder for each test, removed afterwards.
class OutputFileTest : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return folder_.File(name); }

    // Every name in the folder but the ones given, so that a left temporary file shows.
    std::vector<std::string> Names() const { return lumbrook::testing::NamesIn(folder_.path()); }

    const lumbrook::testing::TemporaryFolder folder_;
};

TEST_F(OutputFileTest, ALinkStaysALinkAndTheModeStays) {
    const std::string real = Path("real.qpk");
    const std::string link = Path("link.qpk");
    WriteFile(real, "old");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    fs::create_symlink("real.qpk", link);  // relative, as people make them
    OutputFile file(link);
    lumbrook::testing::StartSyncTrace();
    file.Write("new", 3);
    file.Commit();
    // The new bytes were on disk before the temporary file took the name.
    EXPECT_EQ(lumbrook::testing::SyncedBeforeRenamed(real, 3), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "new");
    EXPECT_EQ(lumbrook::testing::FileMode(real), 0640);

    // A dangling link gets the file it names; a new file gets the usual mode.
    const mode_t mask = umask(022);
    fs::create_symlink("later.qpk", Path("dangling.qpk"));
    OutputFile later(Path("dangling.qpk"));
    later.Write("x", 1);
    later.Commit();
    umask(mask);
    EXPECT_EQ(ReadFile(Path("later.qpk")), "x");
    EXPECT_EQ(lumbrook::testing::FileMode(Path("later.qpk")), 0644);
}

TEST_F(OutputFileTest, StrayTemporaryFilesGoUnlessALiveExportHoldsThem) {
    const std::string target = Path("out.qpk");
    const std::string stray = Path(".out.qpk.99999999.0.lumbrook-tmp");
    const std::string held = Path(".out.qpk.99999999.1.lumbrook-tmp");
    const std::string otherTarget = Path(".other.qpk.99999999.0.lumbrook-tmp");
    const std::string notOurs = Path(".out.qpk.notes");
    for (const auto& path : {stray, held, otherTarget, notOurs})
        WriteFile(path, "left behind");
    const int holder = open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);

    OutputFile running(target);  // a live export of the same target
    OutputFile second(target);
    EXPECT_FALSE(fs::exists(stray));
    EXPECT_TRUE(fs::exists(held));
    EXPECT_TRUE(fs::exists(otherTarget));
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_TRUE(fs::exists(running.TemporaryPath()));
    EXPECT_NE(running.TemporaryPath(), second.TemporaryPath());
    close(holder);
}

// A folder where every temporary name is taken is a file error that leaves the file there
// alone. (A name with a NUL: DoExportTest.AFileNameWithANulIsAFileError, through the object.)
TEST_F(OutputFileTest, NamesThatCannotBeMadeAreFileErrorsAndTheTargetStays) {
    const std::string target = Path("out.qpk");
    WriteFile(target, "old");
    // Dangling links under the names this process would take: each clashes, and none is a
    // stray file the clean-up may remove. The export gives up instead of trying on forever.
    const std::string stem = ".out.qpk." + std::to_string(getpid()) + ".";
    for (int n = 0; n < 3000; ++n)
        fs::create_symlink("nowhere", Path(stem + std::to_string(n) + ".lumbrook-tmp"));
    try {
        OutputFile file(target);
        ADD_FAILURE() << "opened " << file.TemporaryPath();
    } catch (const FileError& e) {
        EXPECT_EQ(e.Code(), static_cast<std::int32_t>(0x800A004B));
        EXPECT_EQ(e.what(), "Path/File access error: " + target);
    }
    EXPECT_EQ(ReadFile(target), "old");
    for (int n = 0; n < 3000; ++n)
        fs::remove(Path(stem + std::to_string(n) + ".lumbrook-tmp"));
    EXPECT_EQ(Names(), std::vector<std::string>{"out.qpk"});
}

TEST_F(OutputFileTest, WhatIsNotARegularFileIsWrittenDirectly) {
    // A descriptor name writes through the descriptor: a file opened for appending is
    // appended to, not emptied.
    const std::string log = Path("append.log");
    WriteFile(log, "first\n");
    const int fd = open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        OutputFile file("/dev/fd/" + std::to_string(fd));
        EXPECT_TRUE(file.TemporaryPath().empty());
        file.Write("second\n", 7);
        file.Commit();
    }
    close(fd);
    EXPECT_EQ(ReadFile(log), "first\nsecond\n");
    EXPECT_EQ(Names(), std::vector<std::string>{"append.log"});

    // A name so long that the hidden one beside it cannot be made: written in place.
    const std::string longName = Path(std::string(250, 'n') + ".qpk");
    {
        OutputFile file(longName);
        EXPECT_TRUE(file.TemporaryPath().empty());
        file.Write("long", 4);
        file.Commit();
    }
    EXPECT_EQ(ReadFile(longName), "long");
}

}  // namespace
}  // namespace lumbrook::exporting
