#include "browse_choice.h"

#include <gtest/gtest.h>
#include <unistd.h>  // geteuid

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
    void TearDown() override {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
        testing::RemoveTree(folder_);
    }
    std::string Path(const char* name) const { return folder_ + "/" + name; }
    const std::string folder_ = testing::MakeTemporaryFolder();
};

TEST_F(Writable, AWritableFileIsAcceptedAndNothingIsLeftOrChanged) {
    EXPECT_EQ(WhyNotWritable(Path("new.qpk")), "");
    EXPECT_TRUE(std::filesystem::is_empty(folder_));

    std::ofstream(Path("old.qpk")) << "kept";
    std::ofstream(Path("old.qpk.part")) << "left by a run that died";
    EXPECT_EQ(WhyNotWritable(Path("old.qpk")), "");
    std::ifstream old(Path("old.qpk"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "kept");
    EXPECT_TRUE(std::filesystem::exists(Path("old.qpk.part")));
}

TEST_F(Writable, MissingFolderFolderNameAndReadOnlyFolderAreRefusedWithTheReason) {
    EXPECT_EQ(WhyNotWritable(Path("missing/out.qpk")),
              "cannot write " + Path("missing/out.qpk") + ": No such file or directory");
    std::filesystem::create_directory(Path("folder.qpk"));
    EXPECT_EQ(WhyNotWritable(Path("folder.qpk")),
              "cannot write " + Path("folder.qpk") + ": Is a directory");
    if (::geteuid() != 0) {  // the superuser writes anywhere
        std::filesystem::permissions(
            folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_EQ(WhyNotWritable(Path("out.qpk")),
                  "cannot write " + Path("out.qpk") + ": Permission denied");
    }
}

}  // namespace
}  // namespace lumbrook::host
