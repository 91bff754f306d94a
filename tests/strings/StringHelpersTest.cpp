#include "util/strings/StringHelpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using util::DMSString;

TEST(DMSString, FormatsAnglesAndCarries)
{
    const struct
    {
        const char *name;
        double angle;
        bool inRadians;
        int precision;
        const char *expected;
    } rows[] = {
        {"half degree below zero keeps the minus", -0.5, false, 4, "-  0:30:0.0000"},
        {"positive angle", 10.5, false, 4, " 10:30:0.0000"},
        {"negative degrees carry their own sign", -10.25, false, 4, "-10:15:0.0000"},
        {"radians", M_PI, true, 4, " 180:00:0.0000"},
        {"seconds carry into minutes", 10 + 0.99999999 / 60, false, 4, " 10:01:0.0000"},
        {"minutes carry into degrees", 10.99999999, false, 4, " 11:00:0.0000"},
        {"negative carry moves away from zero", -10.99999999, false, 4, "-11:00:0.0000"},
        {"no carry below the threshold", 10 + 59.9 / 3600, false, 1, " 10:00:59.9000"},
        {"coarse precision carries earlier", 10 + 59.99 / 3600, false, 0, " 10:01:0.0000"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(DMSString(row.angle, row.inRadians, row.precision), row.expected) << row.name;

    EXPECT_EQ(DMSString(-10, 5, 12.5, true), "-10:05:12.5000");
    EXPECT_EQ(DMSString(0, 5, 12.5, true), "-  0:05:12.5000");
    EXPECT_EQ(DMSString(7, 5, 12.5, true), "  7:05:12.5000");
}

TEST(DMSString, ClampsAnglesBeyondTheIntRange)
{
    // Angles come from files and datagrams: a huge, infinite or NaN value must give a clamped
    // text, never an out-of-range cast (the sanitizer build traps float-cast-overflow).
    const struct
    {
        const char *name;
        double angle;
        bool inRadians;
        const char *expected;
    } rows[] = {
        {"huge positive", 1e300, false, " 2147483647:00:0.0000"},
        {"huge negative", -1e300, false, "-2147483648:00:0.0000"},
        {"huge in radians", 1e300, true, " 2147483647:00:0.0000"},
        {"just above the range", 2147483648.5, false, " 2147483647:00:0.0000"},
        {"positive infinity", HUGE_VAL, false, " 2147483647:00:0.0000"},
        {"negative infinity", -HUGE_VAL, true, "-2147483648:00:0.0000"},
        {"NaN reads as a negative zero", std::nan(""), false, "-  0:00:0.0000"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(DMSString(row.angle, row.inRadians, 4), row.expected) << row.name;
    // Any precision is a threshold, even one whose negation overflows an int: so coarse that
    // every second carries.
    EXPECT_EQ(DMSString(10.5, false, INT_MIN), " 10:31:0.0000");
    EXPECT_EQ(DMSString(10.5, false, INT_MAX), " 10:30:0.0000");
    // A carry at the largest degree value stays there.
    EXPECT_EQ(DMSString(2147483647.9999997, false, 0), " 2147483647:00:0.0000");
    // Seconds that are not finite are printed as such, not cast.
    EXPECT_EQ(DMSString(1, 2, HUGE_VAL, false), "  1:02:   inf");
    EXPECT_EQ(DMSString(1, 2, std::nan(""), false), "  1:02:   nan");
}

TEST(Tokenize, SplitsQuotesAndEscapes)
{
    const struct
    {
        const char *name;
        const char *text, *delimiters, *preserved, *quotes, *escapes;
        std::vector<std::string> expected;
    } rows[] = {
        {"quoted value between preserved delimiters",
         "KEY=\"a b\"=c",
         " ",
         "=",
         "\"",
         "\\",
         {"KEY", "=", "a b", "=", "c"}},
        {"runs of delimiters and empty quotes give nothing",
         " \"\" a   b ",
         " ",
         "",
         "\"",
         "",
         {"a", "b"}},
        {"escaped delimiter is kept", "a\\ b c", " ", "", "", "\\", {"a b", "c"}},
        {"trailing escape is dropped", "ab\\", " ", "", "", "\\", {"ab"}},
        {"other quote character inside a quote is ordinary",
         "'a\"b' c",
         " ",
         "",
         "'\"",
         "",
         {"a\"b", "c"}},
        {"open quote runs to the end", "x 'a b", " ", "", "'", "", {"x", "a b"}},
        {"character in both sets is dropped and emitted", "a,b", ",", ",", "", "", {"a", ",", "b"}},
        {"delimiters do not act inside quotes", "'a=b c'", " ", "=", "'", "", {"a=b c"}},
    };
    for (const auto &row : rows) {
        std::vector<std::string> tokens {"stale"};
        util::tokenize(row.text, tokens, row.delimiters, row.preserved, row.quotes, row.escapes);
        EXPECT_EQ(tokens, row.expected) << row.name;
    }
}
