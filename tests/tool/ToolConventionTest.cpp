// The conventions every quorutil command shares (--help and -h: CommandTableTest).

#include "tests/common/ToolRun.h"

#include <gtest/gtest.h>

using quortest::runTool;

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
