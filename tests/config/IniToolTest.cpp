#include "util/config/IniTool.h"

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <thread>
#include <tuple>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using quortest::readFile;
using quortest::writeFile;

namespace {

const char *const parseIni = "Can't parse ini file", *const errorParsing = "Error parsing ini file";

std::string merge(const std::string &source, const std::string &destination)
{
    try {
        util::IniTool::mergeIniFiles(source, destination);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "";
}

} // namespace

// The edge cases, the bad_* files and random mutations of a settings file.
TEST(IniTool, MergesAddsAndKeepsEveryDestinationLine)
{
    const auto bad = [](const char *f) { return readFile(quortest::dataPath("config/") + f); };
    // Name, source, destination, the destination afterwards, error.
    const std::tuple<const char *, QByteArray, QByteArray, QByteArray, const char *> rows[] = {
        {"key added", "[A]\nx=1\ny=2\n", "[A]\nx=5\n", "[A]\nx=5\ny=2\n", ""},
        {"new section", "[A]\n[B]\nb=1\n; n\n", "[A]\n", "[A]\n\r\n[B]\nb=1\n; n\n", ""},
        {"every byte", "[A]\nn=\xE9\n[C]\n",
         QByteArrayLiteral("\xEF\xBB\xBF\r\n[A]\nm=\xC3\xBC\0\r\n[B]\r\nz=\xFF"),
         QByteArrayLiteral(
             "\xEF\xBB\xBF\r\n[A]\nm=\xC3\xBC\0\r\nn=\xE9\n[B]\r\nz=\xFF\r\n\r\n[C]\n"),
         ""},
        {"comment found", "[A]\n; c\n", "[A]\n   ; c\n", "[A]\n   ; c\n", ""},
        {"blank, other end", "[A]\r\n\r\n", "[A]\r\n\n", "[A]\r\n\n\r\n", ""},
        {"key prefix", "[A]\nPath=/x\n", "[A]\nPathExtra=1\n", "[A]\nPathExtra=1\n", ""},
        {"key blank", "[A]\nk = 1\nx=1\n", "[A]\n x=7\nk=5\n", "[A]\n x=7\nk=5\nk = 1\n", ""},
        {"key twice", "[A]\nk=1\nk=2\n", "[A]\n", "[A]\nk=1\nk=2\n", ""},
        {"new twice", "[B]\nb=1\n[B]\nb=2\n", "", "\r\n[B]\nb=1\n\r\n[B]\nb=1\n", ""},
        // A line without an end that gets a line after it takes the destination's line end.
        {"unterminated", "[A]  \r\nx=1\r\n", "[A]\ny=1", "[A]\ny=1\nx=1\r\n", ""},
        {"unterminated, CR LF", "[A]\nx=1\n", "[A]\r\ny=1", "[A]\r\ny=1\r\nx=1\n", ""},
        {"unterminated, no line end", "[A]\nx=1\n", "[A]", "[A]\nx=1\n", ""},
        {"unterminated source", "[a]\ny=2", "[a]\nx=1\n[b]\n", "[a]\nx=1\ny=2\n[b]\n", ""},
        {"unterminated source, CR LF", "[a]\ny=2", "[a]\r\n[b]\r\n", "[a]\r\ny=2\r\n[b]\r\n", ""},
        {"unterminated source at the end", "[a]\ny=2", "[a]\r\n", "[a]\r\ny=2", ""},
        {"[A] ; words", "[A] ; words\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"[My Section]", "[My Section]\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"bad_binary_garbage", bad("bad_binary_garbage.ini"), "[A]\n", "[A]\n", parseIni},
        {"bad_unclosed_header", bad("bad_unclosed_header.ini"), "[A]\n", "[A]\n", errorParsing},
        {"bad_nul_in_key", bad("bad_nul_in_key.ini"), "[A]\n",
         QByteArrayLiteral("[A]\nk\0ey=1\r\n"), ""},
        {"bad_only_equals", bad("bad_only_equals.ini"), "[A]\n", "[A]\n", parseIni},
        {"bad_cr_only_lines", bad("bad_cr_only_lines.ini"), "[A]\n", "[A]\n", errorParsing},
    };
    QTemporaryDir dir;
    const std::string s = dir.filePath("s.ini").toStdString(),
                      d = dir.filePath("d.ini").toStdString();
    for (const auto &[name, source, destination, expected, error] : rows) {
        writeFile(s.c_str(), source);
        writeFile(d.c_str(), destination);
        EXPECT_EQ(merge(s, d), error) << name;
        EXPECT_EQ(readFile(d.c_str()).toStdString(), expected.toStdString()) << name;
    }
    // Random truncations and edits: a merge message and no change, or every old line kept in order.
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
        writeFile(s.c_str(), source);
        writeFile(d.c_str(), dest);
        const std::string error = merge(s, d);
        const QByteArray result = readFile(d.c_str());
        EXPECT_TRUE(error.empty()
                    || ((error == parseIni || error == errorParsing) && result == dest))
            << "round " << round << ": " << error;
        int from = 0;
        for (const QByteArray &line : dest.split('\n')) {
            from = result.indexOf(line, from);
            ASSERT_GE(from, 0) << "round " << round << ": lost " << line.toStdString();
            from += line.size();
        }
    }
}

// Every failure, the library's or the tool's, leaves the destination as it was and no file beside.
TEST(IniTool, FailuresLeaveTheDestinationUntouched)
{
    QTemporaryDir dir;
    const std::string source = dir.filePath("s.ini").toStdString(),
                      dest = dir.filePath("d.ini").toStdString(),
                      missing = dir.filePath("m.ini").toStdString();
    writeFile(source.c_str(), "[A]\ny=" + QByteArray(4096, 'v') + "\n");
    writeFile(dest.c_str(), "[A]\r\nx=5\r\n");
    EXPECT_EQ(merge(missing, dest), "Source INI file " + missing + " can't be read!");
    EXPECT_EQ(merge(source, missing), "Destination INI file " + missing + " can't be opened!");
    // A file size limit below the merged size makes the rewrite fail part way.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit limited {1024, saved.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string error = merge(source, dest);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "Destination INI file " + dest + " can't be written!");
    EXPECT_EQ(readFile(dest.c_str()), "[A]\r\nx=5\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"d.ini", "s.ini"}));
    // The tool reports the library's message and leaves the destination alone.
    writeFile(source.c_str(), "[A]\nz=\n");
    const quortest::ToolResult r = quortest::runTool({"ini-merge", source.c_str(), dest.c_str()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "quorutil ini-merge: Can't parse ini file\n");
    EXPECT_EQ(readFile(dest.c_str()), "[A]\r\nx=5\r\n");
}

TEST(IniTool, APipeIsASourceAndADeviceIsNot)
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("dest.ini");
    quortest::writeFile(dest, "[a]\nx=1\n");

    // A FIFO with a writer: its lines arrive although it cannot seek.
    const QByteArray fifo = QFile::encodeName(dir.filePath("source.fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    std::thread writer([&] {
        quortest::writeFile(QString::fromLocal8Bit(fifo), "[a]\ny=2\n[b]\nz=3\n");
    });
    util::IniTool::mergeIniFiles(fifo.toStdString(), dest.toStdString());
    writer.join();
    EXPECT_EQ(quortest::readFile(dest), "[a]\nx=1\ny=2\n\r\n[b]\nz=3\n");

    // A device without end (the numbers of /dev/zero, made here) is refused, not read.
    const QByteArray zero = QFile::encodeName(dir.filePath("zero"));
    if (::mknod(zero.constData(), S_IFCHR | 0666, makedev(1, 5)) != 0)
        GTEST_SKIP() << "mknod needs root";
    EXPECT_THROW(util::IniTool::mergeIniFiles(zero.toStdString(), dest.toStdString()),
                 std::runtime_error);
    EXPECT_EQ(quortest::readFile(dest), "[a]\nx=1\ny=2\n\r\n[b]\nz=3\n");
}

// Two merges into one file at once take turns: neither loses the other's additions.
TEST(IniTool, ConcurrentMergesIntoOneFileLoseNothing)
{
    QTemporaryDir dir;
    const QString dest = dir.filePath("d.ini"), one = dir.filePath("one.ini"),
                  two = dir.filePath("two.ini");
    quortest::writeFile(one, "[A]\none=1\n[One]\nx=1\n");
    quortest::writeFile(two, "[A]\ntwo=2\n[Two]\nx=2\n");
    for (int round = 0; round < 50; ++round) {
        quortest::writeFile(dest, "[A]\nbase=0\n");
        QProcess first, second;
        first.start(QUOR_TOOL, {"ini-merge", one, dest});
        second.start(QUOR_TOOL, {"ini-merge", two, dest});
        ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
        EXPECT_EQ(first.exitCode() + second.exitCode(), 0);
        const QByteArray merged = readFile(dest);
        for (const char *added : {"one=1\n", "two=2\n", "[One]\nx=1\n", "[Two]\nx=2\n"})
            EXPECT_TRUE(merged.contains(added)) << "round " << round << ": " << added << " lost\n"
                                                << merged.toStdString();
    }
}

namespace {

// The merge as the class's own steps make it, one regular expression search at a time: the
// reference that the indexed merge of mergeIniFiles must agree with, byte for byte.
struct StepByStep : util::IniTool
{
    static QByteArray merge(const QByteArray &source, const QByteArray &destination)
    {
        const QStringList sourceLines = lines(source);
        QStringList destinationLines = lines(destination);
        const QStringList sourceSections = getAllSections(sourceLines);
        const QStringList destinationSections = getAllSections(destinationLines);
        QByteArray lineEnd = "\n";
        for (const QString &line : destinationLines) {
            if (line.endsWith('\n')) {
                lineEnd = line.endsWith("\r\n") ? "\r\n" : "\n";
                break;
            }
        }
        QStringList newSections;
        for (const QString &name : sourceSections) {
            if (destinationSections.contains(name))
                mergeSections(sourceLines, name, destinationLines);
            else
                newSections << name;
        }
        for (const QString &name : newSections)
            addSection(sourceLines, name, destinationLines);
        QByteArray bytes;
        for (int i = 0; i < destinationLines.size(); ++i) {
            bytes += destinationLines.at(i).toLatin1();
            if (i + 1 < destinationLines.size() && !destinationLines.at(i).endsWith('\n'))
                bytes += lineEnd;
        }
        return bytes;
    }

    static QStringList lines(const QByteArray &bytes)
    {
        QStringList result;
        for (int start = 0; start < bytes.size();) {
            const int newline = bytes.indexOf('\n', start);
            const int end = newline < 0 ? bytes.size() : newline + 1;
            result << QString::fromLatin1(bytes.constData() + start, end - start);
            start = end;
        }
        return result;
    }
};

} // namespace

// The indexed merge gives what the class's step-by-step merge gives, for random files made of
// the pieces that its regular expressions tell apart: headers matched whole or not, keys that
// are prefixes of others, keys that are regular expressions, comments and blank lines with and
// without blanks around them, repeated sections, lines without a terminator.
TEST(IniTool, TheIndexedMergeAgreesWithTheStepByStepOne)
{
    const char *const headers[] = {"[a]\n", "[b]\r\n",  " [a] ;x\n", "[a] x\n", "[a b]\n",
                                   "[]\n",  "\t[c]]\n", "[é]\n",     "[k=v\n",  "[a]"};
    const char *const lines[] = {"a=1\n",   " a =2\n", "ab=3\r\n",  "a.b=4\n", "axb=6\n", "a*=5\n",
                                 "aaa=7\n", "=x=y\n",  "k==v\n",    "x\n",     "b=\n",    "é=1\n",
                                 ";c\n",    " ;c\n",   " ; c ;;\n", ";c;\r\n", "\t;c\n",  ";\n",
                                 "\n",      "  \n",    "\r\n",      " \t\r\n", "a=1",     ";c",
                                 " ",       "\n\n"};
    const auto pick = [](QRandomGenerator &random, const auto &table) {
        return table[random.bounded(int(sizeof table / sizeof *table))];
    };
    QTemporaryDir dir;
    const QString source = dir.filePath("source.ini"), destination = dir.filePath("dest.ini");
    QRandomGenerator random(2027);
    for (int round = 0; round < 5000; ++round) {
        QByteArray texts[2];
        for (QByteArray &text : texts) {
            for (int n = random.bounded(3); n > 0; --n)
                text += pick(random, lines);
            for (int section = random.bounded(4); section > 0; --section) {
                text += random.bounded(3) ? headers[random.bounded(2)] : pick(random, headers);
                for (int n = random.bounded(6); n > 0; --n)
                    text += pick(random, lines);
            }
        }
        writeFile(source, texts[0]);
        writeFile(destination, texts[1]);
        std::string expectedError;
        QByteArray expected;
        try {
            expected = StepByStep::merge(texts[0], texts[1]);
        } catch (const std::runtime_error &e) {
            expectedError = e.what();
            expected = texts[1];
        }
        EXPECT_EQ(merge(source.toStdString(), destination.toStdString()), expectedError)
            << texts[0].toStdString() << "\n--- into ---\n"
            << texts[1].toStdString();
        EXPECT_EQ(readFile(destination), expected) << texts[0].toStdString() << "\n--- into ---\n"
                                                   << texts[1].toStdString();
    }
}
