#include "platform/com/guid.h"

#include <gtest/gtest.h>

namespace lumbrook::platform {
namespace {

const GUID kSample = {0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};

TEST(Guid, TextFormIsUpperCaseWithBracesAndDataInOrder) {
    EXPECT_EQ(GuidToString(kSample), "{0123ABCD-4567-89EF-FEDC-BA9876543210}");
    EXPECT_EQ(GuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(Guid, ReadsItsOwnTextAndLowerCaseAndBareForms) {
    for (const char* text :
         {"{0123ABCD-4567-89EF-FEDC-BA9876543210}", "{0123abcd-4567-89ef-fedc-ba9876543210}",
          "0123ABCD-4567-89EF-FEDC-BA9876543210"}) {
        const auto parsed = GuidFromString(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_TRUE(*parsed == kSample) << text;
    }
}

TEST(Guid, RefusesAnythingElse) {
    for (const char* text :
         {"", "{}", "{0123ABCD-4567-89EF-FEDC-BA987654321}",
          "{0123ABCD-4567-89EF-FEDC-BA98765432100}", "{0123ABCD-4567-89EF-FEDCBA9876543210}",
          "{0123ABCG-4567-89EF-FEDC-BA9876543210}", "{0123ABCD-4567-89EF-FEDC-BA9876543210",
          "0123ABCD-4567-89EF-FEDC-BA9876543210}", " {0123ABCD-4567-89EF-FEDC-BA9876543210}",
          "{+123ABCD-4567-89EF-FEDC-BA9876543210}"}) {
        EXPECT_FALSE(GuidFromString(text).has_value()) << text;
    }
}

TEST(Guid, EqualityLooksAtEveryByte) {
    EXPECT_TRUE(GUID(kSample) == kSample);
    for (std::size_t i = 0; i < sizeof(GUID); ++i) {
        GUID other = kSample;
        reinterpret_cast<unsigned char*>(&other)[i] ^= 1;
        EXPECT_FALSE(other == kSample) << "byte " << i;
    }
}

}  // namespace
}  // namespace lumbrook::platform
