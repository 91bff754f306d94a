// The one argument parser every command shares.

#include "tools/quorutil/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Row
{
    QStringList args;
    int code;                // -1: parsed
    const char *positional;  // joined by '|'
    const char *level;       // value of --level
    bool force;
    const char *err;         // start of standard error
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
        quorutil::CommandLine cl("t", "Usage: quorutil t\n",
                                 {{"--level", nullptr, true}, {"--output", "-o", true},
                                  {"--force"}});
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

} // namespace
