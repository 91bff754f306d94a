// The one argument parser every command shares.

#include "tools/quorutil/CommandLine.h"

#include "tests/common/TestUtil.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The arguments of a row of tool/command_line.txt: '' is an empty one, _ a blank within one.
QStringList argsOf(const std::string &cell)
{
    QStringList args;
    for (const QString &word : QString::fromStdString(cell).split(' ', Qt::SkipEmptyParts))
        args << (word == "''" ? QString() : QString(word).replace('_', ' '));
    return args;
}

std::string joined(const QStringList &values)
{
    return values.join(';').toStdString();
}

TEST(CommandLine, ParsesTheSharedConventions)
{
    for (const quortest::TableRow &row : quortest::tableRows("tool/command_line.txt", "plain")) {
        quorutil::CommandLine cl(
            "t", "Usage: quorutil t\n",
            {{"--level", nullptr, true}, {"--output", "-o", true}, {"--force"}});
        std::ostringstream out, err;
        int code = -1;
        const bool parsed = cl.parse(argsOf(row[0]), out, err, &code);
        const std::string &name = row.line;
        EXPECT_EQ(parsed ? -1 : code, std::stoi(row[1])) << name;
        EXPECT_EQ(err.str().rfind(row[5], 0), 0u) << name << ": " << err.str();
        if (row[1] == "0") {
            EXPECT_EQ(out.str(), "Usage: quorutil t\n") << name;
        }
        if (!parsed)
            continue;
        EXPECT_EQ(joined(cl.positional()), row[2]) << name;
        EXPECT_EQ(cl.value("--level").toStdString(), row[3]) << name;
        EXPECT_EQ(cl.isSet("--force"), row[4] == "yes") << name;
    }
}

// Typed options and arguments: the table entry's range, choices and count decide, and the message
// names the value and what it should have been.
TEST(CommandLine, ChecksTypedValuesAndArgumentCounts)
{
    using namespace quorutil;
    for (const quortest::TableRow &row : quortest::tableRows("tool/command_line.txt", "typed")) {
        CommandLine cl("t", "Usage: quorutil t\n",
                       {integer("--n", "N", -5, 5, ""), number("--x", "X", 0, 1, "").below(),
                        number("--g", "G", 0, unbounded, "").above(), choice("--c", "a|b", ""),
                        path("--p", "P", "").needed(), text("--t", "T", "").repeat()},
                       {integerArg("K", 0, 10), fileArg("F").repeat()});
        std::ostringstream out, err;
        int code = -1;
        const bool parsed = cl.parse(argsOf(row[0]), out, err, &code);
        const std::string &name = row.line;
        EXPECT_EQ(err.str().rfind(row[1], 0), 0u) << name << ": " << err.str();
        if (!row[1].empty()) {
            EXPECT_FALSE(parsed) << name;
            EXPECT_EQ(code, 2) << name;
            continue;
        }
        if (!parsed) {
            EXPECT_EQ(code, 0) << name;
            continue;
        }
        EXPECT_EQ(cl.integer("--n", 7), std::stoll(row[2])) << name;
        EXPECT_EQ(cl.numberAt(0), std::stod(row[3])) << name;
        EXPECT_EQ(joined(cl.values("--t")), row[4]) << name;
    }
}

} // namespace
