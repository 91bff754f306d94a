#include "util/strings/StringHelpers.h"

#include <gtest/gtest.h>

#include <cmath>

using util::DMSString;
using util::tokenize;

namespace {

struct DmsRow
{
    const char *name;
    double angle;
    bool inRadians;
    int precision;
    const char *expected;
};

const DmsRow dmsRows[] = {
    {"half degree below zero keeps the minus", -0.5, false, 4, "-  0:30:0.0000"},
    {"positive angle", 10.5, false, 4, " 10:30:0.0000"},
    {"zero", 0.0, false, 4, "  0:00:0.0000"},
    {"negative degrees carry their own sign", -10.25, false, 4, "-10:15:0.0000"},
    {"three-digit degrees", 179.5, false, 4, " 179:30:0.0000"},
    {"radians", M_PI, true, 4, " 180:00:0.0000"},
    {"seconds carry into minutes", 10 + 0.99999999 / 60, false, 4, " 10:01:0.0000"},
    {"seconds and minutes carry into degrees", 10.99999999, false, 4, " 11:00:0.0000"},
    {"negative carry moves away from zero", -10.99999999, false, 4, "-11:00:0.0000"},
    {"no carry just below the threshold", 10 + 59.9 / 3600, false, 1, " 10:00:59.9000"},
    {"coarse precision carries earlier", 10 + 59.99 / 3600, false, 0, " 10:01:0.0000"},
    {"two-digit seconds", 1 + 12.5 / 3600, false, 4, "  1:00:12.5000"},
};

} // namespace

TEST(DMSString, FormatsAnglesAndCarries)
{
    for (const DmsRow &row : dmsRows)
        EXPECT_EQ(DMSString(row.angle, row.inRadians, row.precision), row.expected) << row.name;
}

TEST(DMSString, FormatsPartsWithNegativeFlagOnlyAtZeroDegrees)
{
    EXPECT_EQ(DMSString(-10, 5, 12.5, true), "-10:05:12.5000");
    EXPECT_EQ(DMSString(0, 5, 12.5, true), "-  0:05:12.5000");
    EXPECT_EQ(DMSString(0, 5, 12.5, false), "  0:05:12.5000");
    EXPECT_EQ(DMSString(7, 5, 12.5, true), "  7:05:12.5000");
}

TEST(DMSString, IgnoresTheDecimalCommaLocale)
{
    // The test process runs under de_DE.UTF-8; a printf-based formatter would write 0,0000.
    EXPECT_EQ(DMSString(1, 2, 3.25, false), "  1:02:3.2500");
}

TEST(DMSString, SurvivesAnglesBeyondTheIntRange)
{
    EXPECT_FALSE(DMSString(1e300, false, 4).empty());
    EXPECT_FALSE(DMSString(-1e300, false, 4).empty());
    EXPECT_FALSE(DMSString(std::nan(""), false, 4).empty());
    EXPECT_FALSE(DMSString(INFINITY, true, 4).empty());
}

namespace {

struct TokenRow
{
    const char *name;
    const char *text;
    const char *delimiters;
    const char *preserved;
    const char *quotes;
    const char *escapes;
    std::vector<std::string> expected;
};

const TokenRow tokenRows[] = {
    {"quoted value between preserved delimiters",
     "KEY=\"a b\"=c",
     " ",
     "=",
     "\"",
     "\\",
     {"KEY", "=", "a b", "=", "c"}},
    {"runs of delimiters give no empty tokens", "  a   b  ", " ", "", "", "", {"a", "b"}},
    {"empty quotes give nothing", "\"\" a", " ", "", "\"", "", {"a"}},
    {"escaped delimiter is kept", "a\\ b c", " ", "", "", "\\", {"a b", "c"}},
    {"trailing escape is dropped", "ab\\", " ", "", "", "\\", {"ab"}},
    {"escape inside a quote adds the next character", "'a\\'b'", "", "", "'", "\\", {"a'b"}},
    {"other quote character inside a quote is ordinary",
     "'a\"b' c",
     " ",
     "",
     "'\"",
     "",
     {"a\"b", "c"}},
    {"open quote runs to the end", "x 'a b", " ", "", "'", "", {"x", "a b"}},
    {"character in both sets is dropped and emitted", "a,b", ",", ",", "", "", {"a", ",", "b"}},
    {"preserved delimiter at the start", "=a", "", "=", "", "", {"=", "a"}},
    {"delimiters do not act inside quotes", "'a=b c'", " ", "=", "'", "", {"a=b c"}},
    {"empty text", "", " ", "=", "\"", "\\", {}},
};

} // namespace

TEST(Tokenize, SplitsQuotesAndEscapes)
{
    for (const TokenRow &row : tokenRows) {
        std::vector<std::string> tokens {"stale"};
        tokenize(row.text, tokens, row.delimiters, row.preserved, row.quotes, row.escapes);
        EXPECT_EQ(tokens, row.expected) << row.name;
    }
}
