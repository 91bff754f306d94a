#include "util/strings/NumberFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>

// printf under the C locale is the reference; the test process itself runs under de_DE.
TEST(NumberFormat, MatchesCLocalePrintf)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const double samples[] = {0.0,
                              -0.0,
                              1.0,
                              -1.5,
                              0.1,
                              1e-300,
                              6378127.0,
                              1e300,
                              -2.5e-7,
                              0.0000000000000005,
                              0.081819191272036,
                              -1.1780972450961724,
                              999999.99999999995};
    for (double v : samples) {
        char c6[400], c1[400], e14[64], e16[64];
        std::setlocale(LC_NUMERIC, "C");
        std::snprintf(c6, sizeof c6, "%.6f", v);
        std::snprintf(c1, sizeof c1, "%.1f", v);
        std::snprintf(e14, sizeof e14, "%.14e", v);
        std::snprintf(e16, sizeof e16, "%.16e", v);
        std::setlocale(LC_NUMERIC, saved.c_str());
        EXPECT_EQ(util::formatFixed(v, 6), c6) << v;
        EXPECT_EQ(util::formatFixed(v, 1), c1) << v;
        EXPECT_EQ(util::formatScientific(v, 14), e14) << v;
        EXPECT_EQ(util::formatScientific(v, 16), e16) << v;
    }
}

TEST(NumberFormat, ParsesWholeWordsOnly)
{
    double d = 7;
    EXPECT_TRUE(util::parseDouble("1.5e+03", d));
    EXPECT_EQ(d, 1500.0);
    EXPECT_TRUE(util::parseDouble("+2", d));
    EXPECT_EQ(d, 2.0);
    for (const char *bad : {"1,5", "abc", "", "1.5x", "+-5", "+"})
        EXPECT_FALSE(util::parseDouble(bad, d)) << bad;
    EXPECT_EQ(d, 2.0);

    int i = 3;
    EXPECT_TRUE(util::parseInt("-42", i));
    EXPECT_EQ(i, -42);
    for (const char *bad : {"4.2", "99999999999", "+-4"})
        EXPECT_FALSE(util::parseInt(bad, i)) << bad;
    EXPECT_EQ(i, -42);

    EXPECT_EQ(util::truncateToInt(-2.7), -2);
    EXPECT_EQ(util::truncateToInt(1e12), INT_MAX);
    EXPECT_EQ(util::truncateToInt(-INFINITY), INT_MIN);
    EXPECT_EQ(util::truncateToInt(std::nan("")), 0);
}
