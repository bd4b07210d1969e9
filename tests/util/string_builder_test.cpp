#include "util/string_builder.h"

#include <gtest/gtest.h>

#include <string>

namespace lumbrook::util {
namespace {

// Adds "0\0", "", "2\0", "", ... and returns the text GetContent must give: an empty string
// takes a slot like any other, and the NULs that end the entries of a descriptor list stay.
std::string AddPieces(clsStringBuilder& builder, int count) {
    std::string expected;
    for (int i = 0; i < count; ++i) {
        const std::string piece = i % 2 == 0 ? std::to_string(i) + '\0' : "";
        builder.Add(piece);
        expected += piece;
    }
    return expected;
}

TEST(StringBuilder, GrowsBySteadyStepsOfFiftySlotsAndKeepsEveryPiece) {
    const struct {
        int adds;
        int capacity;
    } cases[] = {{0, 0}, {1, 50}, {50, 50}, {51, 100}, {100, 100}, {101, 150}, {120, 150}};
    for (const auto& c : cases) {
        clsStringBuilder builder;
        const std::string expected = AddPieces(builder, c.adds);
        EXPECT_EQ(builder.Count(), c.adds);
        EXPECT_EQ(builder.Capacity(), c.capacity) << c.adds << " adds";
        EXPECT_EQ(builder.AllocatedSlots(), static_cast<std::size_t>(c.capacity))
            << c.adds << " adds: the slot array must not double";
        EXPECT_EQ(builder.GetContent(), expected) << c.adds << " adds";
    }
}

}  // namespace
}  // namespace lumbrook::util
