#include "util/strings/NumberFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// printf under the C locale is the reference the formatters must match.
std::string cPrintf(const char *format, double value)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    char buf[512];
    std::snprintf(buf, sizeof buf, format, value);
    std::setlocale(LC_NUMERIC, saved.c_str());
    return buf;
}

const double samples[] = {0.0,
                          -0.0,
                          1.0,
                          -1.5,
                          0.1,
                          123456.789,
                          1e-300,
                          6378127.0,
                          1e300,
                          -2.5e-7,
                          0.5,
                          0.0000000000000005,
                          0.081819191272036,
                          -1.1780972450961724,
                          999999.99999999995};

} // namespace

TEST(NumberFormat, MatchesCLocalePrintf)
{
    for (double v : samples) {
        EXPECT_EQ(util::formatFixed(v, 6), cPrintf("%.6f", v)) << v;
        EXPECT_EQ(util::formatFixed(v, 1), cPrintf("%.1f", v)) << v;
        EXPECT_EQ(util::formatScientific(v, 14), cPrintf("%.14e", v)) << v;
        EXPECT_EQ(util::formatScientific(v, 16), cPrintf("%.16e", v)) << v;
    }
}

TEST(NumberFormat, ParsesWholeWordsOnly)
{
    double d = 7;
    EXPECT_TRUE(util::parseDouble("1.5e+03", d));
    EXPECT_EQ(d, 1500.0);
    EXPECT_TRUE(util::parseDouble("+2", d));
    EXPECT_EQ(d, 2.0);
    EXPECT_FALSE(util::parseDouble("1,5", d));
    EXPECT_FALSE(util::parseDouble("abc", d));
    EXPECT_FALSE(util::parseDouble("", d));
    EXPECT_FALSE(util::parseDouble("1.5x", d));
    EXPECT_FALSE(util::parseDouble("+-5", d));
    EXPECT_FALSE(util::parseDouble("+", d));
    EXPECT_EQ(d, 2.0);

    int i = 3;
    EXPECT_TRUE(util::parseInt("-42", i));
    EXPECT_EQ(i, -42);
    EXPECT_FALSE(util::parseInt("4.2", i));
    EXPECT_FALSE(util::parseInt("99999999999", i));
    EXPECT_FALSE(util::parseInt("+-4", i));
    EXPECT_EQ(i, -42);
}

TEST(NumberFormat, TruncateToIntClampsWhatDoesNotFit)
{
    EXPECT_EQ(util::truncateToInt(1234.9), 1234);
    EXPECT_EQ(util::truncateToInt(-2.7), -2);
    EXPECT_EQ(util::truncateToInt(1e12), INT_MAX);
    EXPECT_EQ(util::truncateToInt(-std::numeric_limits<double>::infinity()), INT_MIN);
    EXPECT_EQ(util::truncateToInt(std::nan("")), 0);
}
