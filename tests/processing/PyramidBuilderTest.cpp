// The pyramid builder call, against small stand-in builders that each test writes.

#include "util/processing/PyramidBuilder.h"

#include "tests/common/TestUtil.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct BuilderRow
{
    const char *name;
    const char *script; // body of a shell script; empty: no builder at all
    int timeoutMs;
    bool ok;
    std::vector<std::string> tail; // the report after the command line
};

class PyramidBuilder : public ::testing::Test
{
protected:
    std::string writeBuilder(const char *name, const char *body)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        quortest::writeFile(path, QByteArray("#!/bin/sh\n") + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path.toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(PyramidBuilder, ReportsEachOutcomeInItsLines)
{
    const std::vector<BuilderRow> rows = {
        {"success", "exit 0\n", -1, true, {"Processor elapsed seconds: 0"}},
        {"error exit",
         "echo 'half written' >&2; echo 'level 3 of 7'; exit 3\n",
         -1,
         false,
         {"make_pyr exited with error code 3", "make_pyr encountered problems:", "unknown problem",
          "standard error:", "half written\n", "standard out:", "level 3 of 7\n"}},
        {"crash",
         "printf partial; kill -SEGV $$\n",
         -1,
         false,
         {"make_pyr exited with error code 0", "make_pyr encountered problems:",
          "make_pyr crashed", "standard error:", "", "standard out:", "partial"}},
        {"never ends",
         "echo started; exec sleep 30\n",
         300,
         false,
         {"make_pyr exited with error code 0", "make_pyr encountered problems:", "timed out",
          "standard error:", "", "standard out:", "started\n"}},
        {"output up to a NUL byte",
         "printf 'before\\000after'; printf 'err\\000more' >&2; exit 1\n",
         -1,
         false,
         {"make_pyr exited with error code 1", "make_pyr encountered problems:", "unknown problem",
          "standard error:", "err", "standard out:", "before"}},
        {"missing builder",
         "",
         -1,
         false,
         {"make_pyr exited with error code 0", "make_pyr encountered problems:",
          "failed to start process", "standard error:", "", "standard out:", ""}},
    };
    for (const BuilderRow &row : rows) {
        const std::string builder = *row.script
                                        ? writeBuilder(row.name, row.script)
                                        : dir.filePath(QStringLiteral("no-such-builder")).toStdString();
        std::vector<std::string> messages = {"left over from an earlier call"};
        const bool ok = util::createOrthoVistaPyramid(builder, "/data/ortho 1.tif", messages,
                                                      row.timeoutMs);
        EXPECT_EQ(ok, row.ok) << row.name;
        ASSERT_FALSE(messages.empty()) << row.name;
        EXPECT_EQ(messages.front(), "command line: " + builder + " /data/ortho 1.tif -external")
            << row.name;
        EXPECT_EQ(std::vector<std::string>(messages.begin() + 1, messages.end()), row.tail)
            << row.name;
    }
}

TEST_F(PyramidBuilder, PassesTheImageAndTheExternalFlag)
{
    const std::string args = dir.filePath(QStringLiteral("args")).toStdString();
    const std::string body = "for a in \"$@\"; do echo \"[$a]\"; done > '" + args + "'\n";
    std::vector<std::string> messages;
    EXPECT_TRUE(util::createOrthoVistaPyramid(writeBuilder("echo-args", body.c_str()),
                                              "with blank.tif", messages));
    EXPECT_EQ(quortest::readFile(QString::fromStdString(args)), "[with blank.tif]\n[-external]\n");
    EXPECT_EQ(messages.size(), 2u);
}

} // namespace
