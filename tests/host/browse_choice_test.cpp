#include "browse_choice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_environment.h"

namespace lumbrook::host {
namespace {

using namespace std::string_literals;

TEST(BrowseChoice, EntriesAreSplitAtEachNulAndCountedInWords) {
    EXPECT_TRUE(SplitEntries("").empty());
    EXPECT_EQ(SplitEntries("a/b:17:0:True:MS-MS"), std::vector<std::string>{"a/b:17:0:True:MS-MS"});
    EXPECT_EQ(SplitEntries("x:1\0y:2\0z:3"s), (std::vector<std::string>{"x:1", "y:2", "z:3"}));
    EXPECT_EQ(EntryCountLine(0), "DescriptorList=0 entries");
    EXPECT_EQ(EntryCountLine(1), "DescriptorList=1 entry");
    EXPECT_EQ(EntryCountLine(2), "DescriptorList=2 entries");
}

TEST(BrowseChoice, OnlyAnEmptyChoiceOfSelectedSpectraHasNothingToExport) {
    EXPECT_EQ(WhyNothingToExport(false, {}), "nothing selected to export");
    EXPECT_EQ(WhyNothingToExport(false, {"a/b:17:101:False:MS-MS"}), "");
    EXPECT_EQ(WhyNothingToExport(true, {"a/b:17:0:True:MS-MS"}), "");
}

class Writable : public ::testing::Test {
  protected:
    std::string Path(const char* name) const { return folder_.File(name); }
    const testing::TemporaryFolder folder_;
};

TEST_F(Writable, AWritableFileIsAcceptedAndNothingIsLeftOrChanged) {
    EXPECT_EQ(WhyNotWritable(Path("new.qpk")), "");
    EXPECT_EQ(WhyNotWritable("-"), "");  // standard output
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path()));

    std::ofstream(Path("old.qpk")) << "kept";
    std::ofstream(Path("old.qpk.part")) << "left by a run that died";
    EXPECT_EQ(WhyNotWritable(Path("old.qpk")), "");
    std::ifstream old(Path("old.qpk"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "kept");
    EXPECT_TRUE(std::filesystem::exists(Path("old.qpk.part")));
}

// A reason from the system's refusal is the host's test of browse --export; a folder under
// the file's name is refused before any system call would.
TEST_F(Writable, AFolderUnderTheFilesNameIsRefused) {
    std::filesystem::create_directory(Path("folder.qpk"));
    EXPECT_EQ(WhyNotWritable(Path("folder.qpk")),
              "cannot write " + Path("folder.qpk") + ": Is a directory");
}

}  // namespace
}  // namespace lumbrook::host
