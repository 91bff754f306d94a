// The conventions every quorutil command shares.

#include "tests/common/ToolRun.h"

#include <gtest/gtest.h>

using quortest::runTool;

TEST(ToolConvention, EveryCommandAndSubcommandAnswersHelp)
{
    const std::vector<QStringList> paths = quorutil::commandPaths();
    ASSERT_GT(paths.size(), 10u);
    for (const QStringList &path : paths) {
        const std::string name = path.join(' ').toStdString();
        for (const char *flag : {"--help", "-h"}) {
            const auto result = runTool(QStringList(path) << flag);
            EXPECT_EQ(result.code, 0) << name << " " << flag << ": " << result.err;
            EXPECT_NE(result.out.find("Usage: quorutil " + path.first().toStdString()),
                      std::string::npos)
                << name << " " << flag << " printed: " << result.out;
            EXPECT_EQ(result.err, "") << name << " " << flag;
        }
    }
}

TEST(ToolConvention, UnknownOptionsNameThemselves)
{
    for (const QStringList &path : quorutil::commandPaths()) {
        const std::string name = path.join(' ').toStdString();
        const auto result = runTool(QStringList(path) << "--no-such-option");
        EXPECT_EQ(result.code, 2) << name;
        EXPECT_EQ(result.err.find("quorutil " + name + ": unknown option --no-such-option\n"), 0u)
            << name << " printed: " << result.err;
    }
}
