#include "export/number_to_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace lumbrook::exporting {
namespace {

struct Case {
    double value;
    int decimals;
    std::string text;
};

void ExpectRounded(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(RoundedNumberText(c.value, c.decimals), c.text)
            << "value " << c.value << " to " << c.decimals << " places";
    }
}

TEST(NumberText, HalvesGoToTheEvenDigitAfterScalingInDoubles) {
    ExpectRounded({{0.0125, 3, "0.012"},
                   {0.0135, 3, "0.014"},
                   {2.5, 0, "2"},
                   {3.5, 0, "4"},
                   {1000.0005, 3, "1000"},  // 1000000.5 in doubles: ties to even
                   {1000.0015, 3, "1000.002"}});
}

TEST(NumberText, FifteenSignificantDigitsAndNoExponent) {
    ExpectRounded(
        {{123456789.123456789, 6, "123456789.123457"},
         {1234567890.123456, 6, "1234567890.12346"},
         {1e15, 6, "1000000000000000"},
         {123456789012345678.0, 6, "123456789012346000"},
         {1e300, 6, "1" + std::string(300, '0')},
         {std::numeric_limits<double>::max(), 3, "179769313486232" + std::string(294, '0')}});
    EXPECT_EQ(NumberText(1e-7), "0.0000001");
    EXPECT_EQ(NumberText(0.1), "0.1");
    EXPECT_EQ(NumberText(60), "60");
    EXPECT_EQ(NumberText(-2.5e-10), "-0.00000000025");
    EXPECT_EQ(NumberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(NumberText(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(NumberText(5e-324), "0." + std::string(323, '0') + "494065645841247");
    EXPECT_EQ(NumberText(1e21), "1000000000000000000000");
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(-0.0), "0");
}

TEST(NumberText, NonFiniteValuesHaveNoText) {
    for (double v :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(RoundedNumberText(v, 3), "");
        EXPECT_EQ(NumberText(v), "");
    }
}

TEST(NumberText, IntegersArePlainDigits) {
    EXPECT_EQ(IntegerText(0), "0");
    EXPECT_EQ(IntegerText(-12), "-12");
    EXPECT_EQ(IntegerText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

// The reference the fast path must agree with: scale, round half even, divide, then
// %.15g-style digits moved into plain notation by a different route (%.*f on the count of
// decimals the value needs).
std::string Reference(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::nearbyint(value * scale) / scale;
    char e[40];
    std::snprintf(e, sizeof e, "%.14e", rounded);
    const int exponent = std::atoi(std::strchr(e, 'e') + 1);
    const int places = std::max(0, 14 - exponent);
    char f[400];
    std::snprintf(f, sizeof f, "%.*f", places, std::strtod(e, nullptr));
    std::string text = f;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

// Ordinary values, negative ones, trailing zeros, values that round to a negative zero (no
// sign) and carries into the next power of ten are the comparison with the slow route's.
TEST(NumberText, AgreesWithTheSlowRouteOnRandomValues) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> magnitude(-8, 14);
    std::uniform_int_distribution<int> places(0, 6);
    for (int i = 0; i < 200000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, magnitude(random));
        const int decimals = places(random);
        ASSERT_EQ(RoundedNumberText(value, decimals), Reference(value, decimals))
            << "value " << std::hexfloat << value << " to " << decimals << " places";
    }
}

}  // namespace
}  // namespace lumbrook::exporting
