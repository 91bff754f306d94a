// The support-file tokenizer on its own: words and their lines under every line-end style,
// rest-of-line values, integers with a zero fraction, and the shortest number text.

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileScanner_p.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using util::detail::Scanner;

namespace {

// Every word of text with its line, as "word@line word@line".
std::string wordsWithLines(std::string_view text)
{
    Scanner in(text);
    std::string out;
    std::string_view w;
    for (;;) {
        const int line = in.lineOfNextWord();
        if (!in.word(w))
            break;
        out += (out.empty() ? "" : " ") + std::string(w) + "@" + std::to_string(line);
    }
    return out;
}

} // namespace

TEST(SupportFileScanner, WordsAndTheirLinesUnderEveryLineEnd)
{
    const std::pair<std::string, std::string> rows[] = {
        {"", ""},
        {"a b\nc", "a@1 b@1 c@2"},
        {"a\r\nb\r\n\r\nc", "a@1 b@2 c@4"},
        {"a\rb\r\rc", "a@1 b@2 c@4"},
        {"a\n\rb", "a@1 b@3"},
        {" \t\v\fa\x01"
         "b",
         "a\x01"
         "b@1"},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(wordsWithLines(text), expected) << text;
}

TEST(SupportFileScanner, RestOfLineEndsAtAnyLineEndAndIsCut)
{
    const std::string longLine(300, 'x');
    struct Row
    {
        std::string text;
        std::string value;
        bool cut;
        std::string next; // the word after the line
    };
    const Row rows[] = {
        {" \"v\"\nNEXT", " \"v\"", false, "NEXT"},
        {" \"v\"\r\nNEXT", " \"v\"", false, "NEXT"},
        {" \"v\"\rNEXT", " \"v\"", false, "NEXT"},
        {"\r\r\nNEXT", "", false, "NEXT"},
        {" at the end", " at the end", false, ""},
        {longLine + "\rNEXT", std::string(254, 'x'), true, "NEXT"},
    };
    for (const Row &row : rows) {
        Scanner in(row.text);
        std::string_view value, next;
        bool cut = false;
        ASSERT_TRUE(in.restOfLine(value, &cut)) << row.text;
        EXPECT_EQ(value, row.value) << row.text;
        EXPECT_EQ(cut, row.cut) << row.text;
        EXPECT_EQ(in.word(next) ? std::string(next) : "", row.next) << row.text;
    }
    Scanner empty("");
    std::string_view value;
    EXPECT_FALSE(empty.restOfLine(value));
}

TEST(SupportFileScanner, IntegersTakeAZeroFractionOnly)
{
    const std::pair<const char *, int> accepted[] = {
        {"1", 1},
        {"1.0", 1},
        {"1.", 1},
        {"-2.000", -2},
        {"+3.0", 3},
        {"-0.0", 0},
        {"2147483647.0", 2147483647},
    };
    for (const auto &[word, value] : accepted) {
        int parsed = 42;
        EXPECT_TRUE(util::detail::parseInteger(word, parsed)) << word;
        EXPECT_EQ(parsed, value) << word;
    }
    for (const char *word : {"1.5", "1.01", "1e0", ".", "-.", ".0", "", "1.0.0", "99999999999",
                             "2147483648.0", "1,0", "0x1", "nan"}) {
        int parsed = 42;
        EXPECT_FALSE(util::detail::parseInteger(word, parsed)) << word;
        EXPECT_EQ(parsed, 42) << word;
    }
}

TEST(SupportFileScanner, ShortestNumberReadsBackExactlyAndAvoidsNeedlessExponents)
{
    const std::pair<double, const char *> rows[] = {
        {500000, "500000"},
        {0.0625, "0.0625"},
        {0.1, "0.1"},
        {-0.0, "-0"},
        {0, "0"},
        {1e16, "10000000000000000"},
        {1.2345678901234568e17, "1.2345678901234568e+17"},
        {1e-5, "0.00001"},
        {1e-7, "1e-07"},
        {1e300, "1e+300"},
        {5e-324, "5e-324"},
        {-1.1780972450961724, "-1.1780972450961724"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::nan(""), "nan"},
    };
    for (const auto &[value, text] : rows)
        EXPECT_EQ(util::formatShortest(value), text) << text;

    std::mt19937_64 rng(20110115);
    for (int i = 0; i < 20000; ++i) {
        double value;
        const std::uint64_t bits = rng();
        std::memcpy(&value, &bits, sizeof value);
        if (std::isnan(value))
            continue;
        double back = 0;
        const std::string text = util::formatShortest(value);
        ASSERT_TRUE(util::parseDouble(text, back)) << text;
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    }
}
