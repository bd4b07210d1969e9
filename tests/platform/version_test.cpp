#include <gtest/gtest.h>

#include "platform/app/app.h"

namespace lumbrook::platform {
namespace {

TEST(Version, FormatsMajorMinorRevisionWithoutLeadingZeros) {
    EXPECT_EQ(FormatVersion({1, 2, 7}), "1.2.7");
    EXPECT_EQ(FormatVersion({1, 0, 0}), "1.0.0");
    EXPECT_EQ(FormatVersion({10, 0, 12}), "10.0.12");
}

TEST(AppTitle, DefaultOnlyFillsAnUnsetTitle) {
    SetDefaultAppTitle("First");
    const std::string before = AppTitle();
    SetDefaultAppTitle("Second");
    EXPECT_EQ(AppTitle(), before);
    SetAppTitle("Chosen");
    EXPECT_EQ(AppTitle(), "Chosen");
}

TEST(AppFolder, TheTestProgramLivesInItsFolder) {
    // A C function of the platform library: the C++ helpers are linked into each user.
    const std::string path = ModulePath(reinterpret_cast<const void*>(&SysAllocString));
    const std::string folder = ModuleFolder(reinterpret_cast<const void*>(&SysAllocString));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(path.rfind(folder + "/", 0), 0u) << path;
    EXPECT_NE(path.find("liblumbrook-platform.so"), std::string::npos) << path;
}

}  // namespace
}  // namespace lumbrook::platform
