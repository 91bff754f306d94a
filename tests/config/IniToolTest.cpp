#include "util/config/IniTool.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <tuple>

#include <sys/resource.h>

using quortest::readFile;
using quortest::writeFile;

namespace {

const char *const parseIni = "Can't parse ini file", *const errorParsing = "Error parsing ini file";

// The merge's error message, or "" when it succeeds.
std::string mergeError(const std::string &source, const std::string &destination)
{
    try {
        util::IniTool::mergeIniFiles(source, destination);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "";
}

// Merges the texts as two files of a fresh folder: the error and the destination afterwards.
std::pair<std::string, QByteArray> merge(const QByteArray &source, const QByteArray &destination)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("s.ini"), source);
    writeFile(dir.filePath("d.ini"), destination);
    const std::string error =
        mergeError(dir.filePath("s.ini").toStdString(), dir.filePath("d.ini").toStdString());
    return {error, readFile(dir.filePath("d.ini"))};
}

QByteArray bad(const char *name)
{
    return readFile(quortest::dataPath("config/") + name);
}

} // namespace

TEST(IniTool, MergesAddsAndKeeps)
{
    // Name, source, destination, the destination afterwards, error.
    const std::tuple<const char *, QByteArray, QByteArray, QByteArray, const char *> rows[] = {
        {"key added", "[A]\nx=1\ny=2\n", "[A]\nx=5\n", "[A]\nx=5\ny=2\n", ""},
        {"new section", "[A]\nx=1\n[B]\nb=1\n; note\n", "[A]\nx=1\n",
         "[A]\nx=1\n\r\n[B]\nb=1\n; note\n", ""},
        {"source order", "[A]\nc=3\nd=4\n[B]\ne=5\n", "[A]\na=1\n\n[B]\nz=9\n",
         "[A]\na=1\n\nc=3\nd=4\n[B]\nz=9\ne=5\n", ""},
        {"every byte", "[A]\r\nn=\xC3\xA9\r\n[C]\nc=\xA7\n",
         QByteArrayLiteral("\xEF\xBB\xBF;\xFC\r\n[A]\nm=\xFC\x01\0\r\n[B]\r\nz=\xFF"),
         QByteArrayLiteral("\xEF\xBB\xBF;\xFC\r\n[A]\nm=\xFC\x01\0\r\nn=\xC3\xA9\r\n[B]\r\nz="
                           "\xFF\r\n[C]\nc=\xA7\n"),
         ""},
        {"comment found", "[A]\n; c\n", "[A]\n   ; c\n", "[A]\n   ; c\n", ""},
        {"comment literal", "[A]\n; a.b\n", "[A]\n; axb\n", "[A]\n; axb\n; a.b\n", ""},
        {"blank found", "[A]\r\n\r\nx=1\r\n", "[A]\r\nx=1\r\n\r\n", "[A]\r\nx=1\r\n\r\n", ""},
        {"blank, other end", "[A]\r\n\r\n", "[A]\r\n\n", "[A]\r\n\n\r\n", ""},
        {"key prefix", "[A]\nPath=/x\n", "[A]\nPathExtra=1\n", "[A]\nPathExtra=1\n", ""},
        {"key blank", "[A]\nkey = 1\nx=1\n", "[A]\n  x=7\nkey=5\n", "[A]\n  x=7\nkey=5\nkey = 1\n",
         ""},
        {"key pattern", "[A]\nk.y=1\n", "[A]\nkey=5\n", "[A]\nkey=5\n", ""},
        {"key twice", "[A]\nk=1\nk=2\n", "[A]\n", "[A]\nk=1\nk=2\n", ""},
        {"new twice", "[B]\nb=1\n[B]\nb=2\n", "", "\r\n[B]\nb=1\n\r\n[B]\nb=1\n", ""},
        {"old twice", "[A]\nb=1\n[A]\nb=2\n", "[A]\n", "[A]\nb=1\n", ""},
        {"unterminated", "[A]  \r\nx=1\r\n", "[A]\ny=1", "[A]\ny=1x=1\r\n", ""},
        {"no value", "[A]\nkey=\n", "[A]\nx=5\n", "[A]\nx=5\n", parseIni},
        {"[A] ; words", "[A] ; words\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"[My Section]", "[My Section]\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"bad_binary_garbage", bad("bad_binary_garbage.ini"), "[A]\n", "[A]\n", parseIni},
        {"bad_unclosed_header", bad("bad_unclosed_header.ini"), "[A]\n", "[A]\n", errorParsing},
        {"bad_nul_in_key", bad("bad_nul_in_key.ini"), "[A]\n",
         QByteArrayLiteral("[A]\nk\0ey=1\r\n"), ""},
        {"bad_only_equals", bad("bad_only_equals.ini"), "[A]\n", "[A]\n", parseIni},
        {"bad_cr_only_lines", bad("bad_cr_only_lines.ini"), "[A]\n", "[A]\n", errorParsing},
    };
    for (const auto &[name, source, destination, expected, error] : rows) {
        const auto [message, result] = merge(source, destination);
        EXPECT_EQ(message, error) << name;
        EXPECT_EQ(result.toStdString(), expected.toStdString()) << name;
    }
}

// Every failure leaves the destination as it was, with nothing beside it.
TEST(IniTool, FailuresLeaveTheDestinationUntouched)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString(), source = folder + "/s.ini",
                      dest = folder + "/d.ini", missing = folder + "/m.ini";
    writeFile(source.c_str(), "[A]\ny=" + QByteArray(4096, 'v') + "\n");
    writeFile(dest.c_str(), "[A]\r\nx=5\r\n");
    EXPECT_EQ(mergeError(missing, dest), "Source INI file " + missing + " can't be read!");
    EXPECT_EQ(mergeError(folder, dest), "Source INI file " + folder + " can't be read!");
    EXPECT_EQ(mergeError(source, missing), "Destination INI file " + missing + " can't be opened!");
    EXPECT_EQ(mergeError(source, folder), "Destination INI file " + folder + " can't be opened!");
    // A file size limit below the merged size makes the rewrite fail part way.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit limited {1024, saved.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string error = mergeError(source, dest);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "Destination INI file " + dest + " can't be written!");
    EXPECT_EQ(readFile(dest.c_str()), "[A]\r\nx=5\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"d.ini", "s.ini"}));
}

// Random truncations and byte edits of both files: the merge fails with one of its messages,
// leaving the destination alone, or keeps every destination line, in order.
TEST(IniTool, MutatedFilesNeverLoseDestinationLines)
{
    const QByteArray base = "; settings\r\n[NamingConfig]\r\nZeduvidoFileNaming=D:/cfg/a.xml\n"
                            "\n[A]\nx=1\n  ; c\ny = 2\n[B]\r\nPath=\xE4\r\n";
    QRandomGenerator random(20240611);
    for (int round = 0; round < 400; ++round) {
        QByteArray source = base, dest = base;
        for (QByteArray *bytes : {&source, &dest}) {
            for (int e = random.bounded(4); e > 0; --e)
                (*bytes)[random.bounded(bytes->size())] = "[]=\n\r; \xE4\0"[random.bounded(10)];
            bytes->truncate(random.bounded(3) ? bytes->size() : random.bounded(bytes->size()));
        }
        const auto [error, result] = merge(source, dest);
        EXPECT_TRUE(error.empty() || error == parseIni || error == errorParsing) << error;
        EXPECT_TRUE(error.empty() || result == dest) << "round " << round;
        int from = 0;
        for (const QByteArray &line : dest.split('\n')) {
            from = result.indexOf(line, from);
            ASSERT_GE(from, 0) << "round " << round << ": lost " << line.toStdString();
            from += line.size();
        }
    }
}

TEST(IniMergeCommand, MergesOrLeavesDestUntouched)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("new.ini"), dest = dir.filePath("quor.ini");
    writeFile(source, "[A]\nz=\n");
    writeFile(dest, "[A]\nx=5\n");
    const quortest::ToolResult failed = quortest::runTool({"ini-merge", source, dest});
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.err, "quorutil ini-merge: Can't parse ini file\n");
    writeFile(source, "[A]\ny=2\n");
    const quortest::ToolResult merged = quortest::runTool({"ini-merge", source, dest});
    EXPECT_EQ(merged.out, "Merged " + source.toStdString() + " into " + dest.toStdString() + "\n");
    EXPECT_EQ(merged.code, 0);
    EXPECT_EQ(readFile(dest), "[A]\nx=5\ny=2\n");
}
