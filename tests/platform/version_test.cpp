#include <gtest/gtest.h>

#include "platform/app/app.h"

namespace lumbrook::platform {
namespace {

TEST(Version, FormatsMajorMinorRevisionWithoutLeadingZeros) {
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

}  // namespace
}  // namespace lumbrook::platform
