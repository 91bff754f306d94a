// The one argument parser every command shares.

#include "tools/quorutil/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Row
{
    QStringList args;
    int code; // -1: parsed
    const char *positional; // joined by '|'
    const char *level; // value of --level
    bool force;
    const char *err; // start of standard error
};

TEST(CommandLine, ParsesTheSharedConventions)
{
    const Row rows[] = {
        {{"a", "--level", "2", "b"}, -1, "a|b", "2", false, ""},
        {{"--level=1", "--force", "x"}, -1, "x", "1", true, ""},
        {{"--level=", "x"}, -1, "x", "", false, ""},
        {{"-o", "x", "y"}, -1, "y", "", false, ""}, // -o is the short name of --output
        {{"--", "--force", "-x"}, -1, "--force|-x", "", false, ""},
        {{"-", "-12", "-.5"}, -1, "-|-12|-.5", "", false, ""},
        {{"--level", "-3"}, -1, "", "-3", false, ""}, // a value may start with '-'
        {{"--level", "1", "--level", "2"}, -1, "", "2", false, ""}, // the last one counts
        {{"--help", "--bogus"}, 0, "", "", false, ""},
        {{"x", "-h"}, 0, "", "", false, ""},
        {{"--", "--help"}, -1, "--help", "", false, ""},
        {{"--bogus=1"}, 2, "", "", false, "quorutil t: unknown option --bogus\n\nUsage"},
        {{"-x"}, 2, "", "", false, "quorutil t: unknown option -x\n"},
        {{"--level"}, 2, "", "", false, "quorutil t: --level needs a value\n"},
        {{"--force=yes"}, 2, "", "", false, "quorutil t: --force takes no value\n"},
    };
    for (const Row &row : rows) {
        quorutil::CommandLine cl(
            "t", "Usage: quorutil t\n",
            {{"--level", nullptr, true}, {"--output", "-o", true}, {"--force"}});
        std::ostringstream out, err;
        int code = -1;
        const bool parsed = cl.parse(row.args, out, err, &code);
        const std::string name = row.args.join(' ').toStdString();
        EXPECT_EQ(parsed ? -1 : code, row.code) << name;
        EXPECT_EQ(err.str().rfind(row.err, 0), 0u) << name << ": " << err.str();
        if (row.code == 0) {
            EXPECT_EQ(out.str(), "Usage: quorutil t\n") << name;
        }
        if (!parsed)
            continue;
        EXPECT_EQ(cl.positional().join('|').toStdString(), row.positional) << name;
        EXPECT_EQ(cl.value("--level").toStdString(), row.level) << name;
        EXPECT_EQ(cl.isSet("--force"), row.force) << name;
    }
}

// Typed options and arguments: the table entry's range, choices and count decide, and the message
// names the value and what it should have been.
struct TypedRow
{
    QStringList args;
    const char *err; // start of standard error; empty: parsed
    long long n; // --n, fallback 7
    double k; // the first argument
    const char *t; // every --t, joined by '|'
};

TEST(CommandLine, ChecksTypedValuesAndArgumentCounts)
{
    using namespace quorutil;
    const TypedRow rows[] = {
        {{"--p", "x", "3", "f"}, "", 7, 3, ""},
        {{"--p", "x", "--n", "-5", "0", "f", "g"}, "", -5, 0, ""},
        {{"--p", "x", "--n=5", "--t", "a", "--t=", "10", "f"}, "", 5, 10, "a|"},
        {{"--p", "x", "--x", ".999", "--g", "1e308", "1", "f"}, "", 7, 1, ""},
        {{"--p", "x", "--n", "6", "1", "f"},
         "quorutil t: --n must be an integer from -5 to 5, not '6'\n\nUsage",
         0,
         0,
         ""},
        {{"--p", "x", "--n", " 1", "1", "f"},
         "quorutil t: --n must be an integer from -5 to 5, not ' 1'\n",
         0,
         0,
         ""},
        {{"--p", "x", "--n", "0x1", "1", "f"}, "quorutil t: --n must be", 0, 0, ""},
        {{"--p", "x", "--n", "", "1", "f"}, "quorutil t: --n must be", 0, 0, ""},
        {{"--p", "x", "--n", "-9223372036854775809", "1", "f"},
         "quorutil t: --n must be",
         0,
         0,
         ""},
        {{"--p", "x", "--x", "1", "1", "f"},
         "quorutil t: --x must be a number from 0 to below 1, not '1'\n",
         0,
         0,
         ""},
        {{"--p", "x", "--x", "-0.001", "1", "f"},
         "quorutil t: --x must be a number from 0",
         0,
         0,
         ""},
        {{"--p", "x", "--g", "0", "1", "f"},
         "quorutil t: --g must be a number greater than 0, not '0'\n",
         0,
         0,
         ""},
        {{"--p", "x", "--g", "1e309", "1", "f"},
         "quorutil t: --g must be a number greater than 0, not '1e309'\n",
         0,
         0,
         ""},
        {{"--p", "x", "--g", "0,5", "1", "f"}, "quorutil t: --g must be", 0, 0, ""},
        {{"--p", "x", "--c", "c", "1", "f"}, "quorutil t: --c must be a or b, not 'c'\n", 0, 0, ""},
        {{"--p", "x", "--c", "A", "1", "f"}, "quorutil t: --c must be a or b, not 'A'\n", 0, 0, ""},
        {{"1", "f"}, "quorutil t: needs --p P\n", 0, 0, ""},
        {{"--p=", "1", "f"}, "quorutil t: --p needs a non-empty value\n", 0, 0, ""},
        {{"--p", "x"}, "quorutil t: needs K and at least one F\n", 0, 0, ""},
        {{"--p", "x", "1"}, "quorutil t: needs K and at least one F\n", 0, 0, ""},
        {{"--p", "x", "11", "f"},
         "quorutil t: K must be an integer from 0 to 10, not '11'\n",
         0,
         0,
         ""},
        {{"--p", "x", "--", "-1", "f"},
         "quorutil t: K must be an integer from 0 to 10, not '-1'\n",
         0,
         0,
         ""},
        {{"--help", "--n", "99"}, "", 0, 0, ""}, // help wins over what follows
    };
    for (const TypedRow &row : rows) {
        CommandLine cl("t", "Usage: quorutil t\n",
                       {integer("--n", "N", -5, 5, ""), number("--x", "X", 0, 1, "").below(),
                        number("--g", "G", 0, unbounded, "").above(), choice("--c", "a|b", ""),
                        path("--p", "P", "").needed(), text("--t", "T", "").repeat()},
                       {integerArg("K", 0, 10), fileArg("F").repeat()});
        std::ostringstream out, err;
        int code = -1;
        const bool parsed = cl.parse(row.args, out, err, &code);
        const std::string name = row.args.join(' ').toStdString();
        EXPECT_EQ(err.str().rfind(row.err, 0), 0u) << name << ": " << err.str();
        if (*row.err) {
            EXPECT_FALSE(parsed) << name;
            EXPECT_EQ(code, 2) << name;
            continue;
        }
        if (!parsed) {
            EXPECT_EQ(code, 0) << name;
            continue;
        }
        EXPECT_EQ(cl.integer("--n", 7), row.n) << name;
        EXPECT_EQ(cl.numberAt(0), row.k) << name;
        EXPECT_EQ(cl.values("--t").join('|').toStdString(), row.t) << name;
    }
}

} // namespace
