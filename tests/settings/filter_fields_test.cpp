#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/filter_fields.h"
#include "settings/text_to_number.h"
#include "support/test_environment.h"

namespace lumbrook::settings {
namespace {

struct FilterCase {
    const char* text;
    double minMass;
    double maxMass;
    double s2n;
    int monoisotopic;
};

void ExpectFilter(const FilterCase& c) {
    const FilterValues values = ReadFilterFields(c.text);
    EXPECT_EQ(values.minMass, c.minMass) << '"' << c.text << '"';
    EXPECT_EQ(values.maxMass, c.maxMass) << '"' << c.text << '"';
    EXPECT_EQ(values.s2n, c.s2n) << '"' << c.text << '"';
    EXPECT_EQ(values.monoisotopic, c.monoisotopic) << '"' << c.text << '"';
}

TEST(FilterFields, EachFieldIsTheNumberAtItsStartWithDefaultsForMissingOnes) {
    const FilterCase cases[] = {
        // The fields in order, with defaults for missing ones.
        {"100.5,15,3,0", 100.5, 15, 3, 0},
        {"60,20,10,1,7", 60, 20, 10, 1},  // fields beyond the fourth are ignored
        {"5,6", 5, 6, 10, 1},             // missing fields take their defaults
        {"", 60, 20, 10, 1},
        {"1,2,3,", 1, 2, 3, 0},  // an empty field reads as 0
        {",,,", 0, 0, 0, 0},
        {"-5,-1,-2,-3", -5, -1, -2, -3},  // the values are not validated
        // The fourth field is rounded half to even (base_test) into 16 bits.
        {"60,20,10,0.5", 60, 20, 10, 0},
        {"60,20,10,1.5", 60, 20, 10, 2},
        {"60,20,10,32767", 60, 20, 10, 32767},
        {"60,20,10,-32768", 60, 20, 10, -32768},
        {"60,20,10,-32768.5", 60, 20, 10, -32768},
        // Out of range after rounding: the default instead of a failed creation.
        {"60,20,10,32767.5", 60, 20, 10, 1},
        {"60,20,10,-32769", 60, 20, 10, 1},
        {"60,20,10,1e300", 60, 20, 10, 1},
        // Each field is the number at its start.
        {" 1 0 0\t.5 ,1\n5,\t3 , 0 ", 100.5, 15, 3, 0},  // blanks, tabs, line feeds inside
        {"&H10,&O17,&h1f,&o7", 16, 15, 31, 7},
        {"1e1,2E-1,1e,1e+", 10, 0.2, 1, 1},
        {"12abc,abc,-,.", 12, 0, 0, 0},
        {"1.2.3,+4,.5,5.", 1.2, 4, 0.5, 5},
        {"&H,&O8,&X1,1d2", 0, 0, 0, 1},  // no digits for the prefix; d is no exponent
        {"1\r0,2,3,4", 1, 2, 3, 4},      // a carriage return ends the number
        {"1e-400,2,3,4", 0, 2, 3, 4},
        {"1e400,2,3,4", 60, 2, 3, 4},  // too large for a double: the default
    };
    for (const FilterCase& c : cases)
        ExpectFilter(c);
}

TEST(FilterFields, TheDecimalPointIsAFullStopInEveryLocale) {
    // Build a locale whose decimal separator is "," in a folder of our own; skip when the
    // machine has no locale sources to build it from.
    const lumbrook::testing::TemporaryFolder folder;
    const std::string command =
        "localedef -i de_DE -f UTF-8 " + folder.File("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "localedef cannot build de_DE.UTF-8 here";
    setenv("LOCPATH", folder.path().c_str(), 1);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    EXPECT_STREQ(text, "1,5");  // the locale is in effect
    ExpectFilter({"100.5,15.25,3,0.5", 100.5, 15.25, 3, 0});
    std::setlocale(LC_ALL, previous.c_str());
    unsetenv("LOCPATH");
}

// Notations and rounding at the edges: FilterFields above, through the same scanner and rounding.
TEST(NumberText, WholeNumbers) {
    EXPECT_EQ(ReadWholeNumber(" 42\t"), 42.0);
    for (const char* text : {"", " ", "4 2", "42x", "x", "&H", "1e", "1e400", "--1", "1,5"})
        EXPECT_EQ(ReadWholeNumber(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(RoundToInt32(NAN), std::nullopt);
}

}  // namespace
}  // namespace lumbrook::settings
