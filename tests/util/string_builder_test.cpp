#include "util/string_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace lumbrook::util {
namespace {

// Adds "0,", "1,", ... and returns the text GetContent must give.
std::string AddNumbered(clsStringBuilder& builder, int count) {
    std::string expected;
    for (int i = 0; i < count; ++i) {
        const std::string piece = std::to_string(i) + ",";
        builder.Add(piece);
        expected += piece;
    }
    return expected;
}

TEST(StringBuilder, GrowsBySteadyStepsOfFiftySlots) {
    const struct {
        int adds;
        int capacity;
    } cases[] = {{0, 0}, {1, 50}, {50, 50}, {51, 100}, {100, 100}, {101, 150}, {120, 150}};
    for (const auto& c : cases) {
        clsStringBuilder builder;
        const std::string expected = AddNumbered(builder, c.adds);
        EXPECT_EQ(builder.Count(), c.adds);
        EXPECT_EQ(builder.Capacity(), c.capacity) << c.adds << " adds";
        EXPECT_EQ(builder.AllocatedSlots(), static_cast<std::size_t>(c.capacity))
            << c.adds << " adds: the slot array must not double";
        EXPECT_EQ(builder.GetContent(), expected) << c.adds << " adds";
    }
}

TEST(StringBuilder, EmptyStringsCountAsStrings) {
    clsStringBuilder builder;
    for (int i = 0; i < 51; ++i)
        builder.Add("");
    EXPECT_EQ(builder.Count(), 51);
    EXPECT_EQ(builder.Capacity(), 100);
    EXPECT_EQ(builder.GetContent(), "");
    builder.Add("x");
    EXPECT_EQ(builder.GetContent(), "x");
}

TEST(StringBuilder, ContentKeepsNulsAndIsRepeatable) {
    using namespace std::string_literals;
    clsStringBuilder builder;
    builder.Add("12\0"s);
    builder.Add("34\0"s);
    EXPECT_EQ(builder.GetContent(),
              "12\0"
              "34\0"s);
    EXPECT_EQ(builder.GetContent(),
              "12\0"
              "34\0"s);  // reading leaves the builder as it was
    EXPECT_EQ(builder.Count(), 2);
}

}  // namespace
}  // namespace lumbrook::util
