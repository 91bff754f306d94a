// Every command on input it could not use exits 1 and names what was wrong; on input it can
// use it prints what the files hold: tests/data/tool/refusals.txt.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Refusals, NoCommandSucceedsOnInputItCouldNotUse)
{
    QTemporaryDir dir;
    const QString data = quortest::dataPath(".");
    const QString resources = quortest::resourcePath(".");
    const auto expand = [&](QString text) {
        return text.replace("{data}", QDir::cleanPath(data))
            .replace("{res}", QDir::cleanPath(resources))
            .replace("{tmp}", dir.path());
    };
    for (const quortest::TableRow &row : quortest::tableRows("tool/refusals.txt")) {
        const QStringList args = expand(QString::fromStdString(row[0])).split(' ');
        const quortest::ToolResult r = quortest::runTool(args);
        EXPECT_EQ(r.code, std::stoi(row[1])) << row.line << "\n" << r.err << r.out;
        if (row[2] != "-") {
            EXPECT_NE(r.out.find(expand(QString::fromStdString(row[2])).toStdString()),
                      std::string::npos)
                << row.line << "\n"
                << r.out;
        }
        if (row[3] != "-") {
            EXPECT_NE(r.err.find(expand(QString::fromStdString(row[3])).toStdString()),
                      std::string::npos)
                << row.line << "\n"
                << r.err;
        } else if (r.code == 0) {
            EXPECT_EQ(r.err, "") << row.line;
        }
        // A failure is one line naming the command.
        if (r.code == 1) {
            EXPECT_EQ(r.err.rfind("quorutil " + args[0].toStdString(), 0), 0u) << row.line;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << row.line << "\n" << r.err;
        }
    }
}
