// The support-file tokenizer on its own: words and their lines under every line-end style,
// rest-of-line values, integers with a zero fraction, and the shortest number text.

#include "tests/support/SupportTestUtil.h"
#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileScanner_p.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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
    for (const quortest::TableRow &row : quortest::tableRows("support/scanner.txt", "words"))
        EXPECT_EQ(wordsWithLines(row[0]), row[1]) << row.line;
}

TEST(SupportFileScanner, RestOfLineEndsAtAnyLineEndAndIsCut)
{
    for (const quortest::TableRow &row : quortest::tableRows("support/scanner.txt", "rest")) {
        Scanner in(row[0]);
        std::string_view value, next;
        bool cut = false;
        ASSERT_TRUE(in.restOfLine(value, &cut)) << row.line;
        EXPECT_EQ(value, row[1]) << row.line;
        EXPECT_EQ(cut, row[2] == "cut") << row.line;
        EXPECT_EQ(in.word(next) ? std::string(next) : "", row[3]) << row.line;
    }
    Scanner empty("");
    std::string_view value;
    EXPECT_FALSE(empty.restOfLine(value));
}

TEST(SupportFileScanner, IntegersTakeAZeroFractionOnly)
{
    for (const quortest::TableRow &row : quortest::tableRows("support/scanner.txt", "integer")) {
        int parsed = 42;
        EXPECT_EQ(util::detail::parseInteger(row[0], parsed), row[1] != "refused") << row.line;
        EXPECT_EQ(parsed, row[1] == "refused" ? 42 : std::stoi(row[1])) << row.line;
    }
}

TEST(SupportFileScanner, ShortestNumberReadsBackExactlyAndAvoidsNeedlessExponents)
{
    for (const quortest::TableRow &row : quortest::tableRows("support/scanner.txt", "shortest")) {
        bool ok = false;
        const double value = QByteArray::fromStdString(row[0]).toDouble(&ok); // in any locale
        ASSERT_TRUE(ok) << row.line;
        EXPECT_EQ(util::formatShortest(value), row[1]) << row.line;
    }

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
