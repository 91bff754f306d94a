#include "util/config/IniTool.h"

#include "tests/common/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>
#include <unistd.h>

using quortest::readFile;
using quortest::writeFile;

namespace {

// Opens the helpers to the tests.
struct IniToolProbe : util::IniTool
{
    using IniTool::addSection;
    using IniTool::extractSection;
    using IniTool::getAllSections;
    using IniTool::mergeSections;
};

const char *const parseIni = "Can't parse ini file";
const char *const errorParsing = "Error parsing ini file";

// The error message of a merge, or "" when it succeeds.
std::string mergeError(const QString &source, const QString &destination)
{
    try {
        util::IniTool::mergeIniFiles(source.toStdString(), destination.toStdString());
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return std::string();
}

// A source and a destination file in a fresh folder.
struct IniFiles
{
    IniFiles(const QByteArray &sourceText, const QByteArray &destinationText)
    {
        writeFile(source, sourceText);
        writeFile(destination, destinationText);
    }
    std::string merge() const { return mergeError(source, destination); }
    // Nothing but the two files: no temporary file is left behind.
    int fileCount() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(); }

    QTemporaryDir dir;
    const QString source = dir.filePath("source.ini");
    const QString destination = dir.filePath("destination.ini");
};

// Merges source into destination; returns the error message, or "" on success, and the
// destination's bytes afterwards.
std::string merge(const QByteArray &source, const QByteArray &destination, QByteArray &result)
{
    const IniFiles files(source, destination);
    const std::string error = files.merge();
    result = readFile(files.destination);
    return error;
}

struct MergeRow
{
    const char *name;
    QByteArray source;
    QByteArray destination;
    QByteArray expected; // the destination afterwards (unchanged when error is set)
    const char *error;
};

} // namespace

TEST(IniTool, MergesAddsAndKeeps)
{
    const MergeRow rows[] = {
        {"missing key added, existing value kept", "[A]\nx=1\ny=2\n", "[A]\nx=5\n",
         "[A]\nx=5\ny=2\n", ""},
        {"new section appended after a CR LF line", "[A]\nx=1\n[B]\nb=1\n; note\n", "[A]\nx=1\n",
         "[A]\nx=1\n\r\n[B]\nb=1\n; note\n", ""},
        {"lines go to the end of their section, in source order", "[A]\nc=3\nd=4\n[B]\ne=5\n",
         "[A]\na=1\n\n[B]\nz=9\n", "[A]\na=1\n\nc=3\nd=4\n[B]\nz=9\ne=5\n", ""},
        {"present comment not repeated", "[A]\n; words\nx=1\n", "[A]\n   ; words\nx=1\n",
         "[A]\n   ; words\nx=1\n", ""},
        {"comment with less indentation in the destination is added", "[A]\n  ; words\n",
         "[A]\n; words\n", "[A]\n; words\n  ; words\n", ""},
        {"comment characters are literal", "[A]\n; a.b (c)\n", "[A]\n; axb (c)\n",
         "[A]\n; axb (c)\n; a.b (c)\n", ""},
        {"blank line with the same terminator not added", "[A]\r\n\r\nx=1\r\n",
         "[A]\r\nx=1\r\n\r\n", "[A]\r\nx=1\r\n\r\n", ""},
        {"blank line added where the section has none", "[A]\nx=1\n\n", "[A]\nx=1\n",
         "[A]\nx=1\n\n", ""},
        {"blank line with another terminator added", "[A]\r\n\r\n", "[A]\r\n\n", "[A]\r\n\n\r\n",
         ""},
        {"LF blank line found in a CR LF one", "[A]\n\n", "[A]\r\n\r\n", "[A]\r\n\r\n", ""},
        {"comment with another terminator added", "[A]\n; c\n", "[A]\r\n; c\r\n",
         "[A]\r\n; c\r\n; c\n", ""},
        {"key found by prefix", "[A]\nPath=/x\n", "[A]\nPathExtra=1\n", "[A]\nPathExtra=1\n", ""},
        {"key is found after leading white space", "[A]\nx=1\n", "[A]\n   x=7\n", "[A]\n   x=7\n",
         ""},
        {"white space before = is part of the key", "[A]\nkey = 1\n", "[A]\nkey=5\n",
         "[A]\nkey=5\nkey = 1\n", ""},
        {"key regex characters are not escaped", "[A]\nk.y=1\n", "[A]\nkey=5\n", "[A]\nkey=5\n",
         ""},
        {"bracket in a key does not break the merge", "[A]\na(b=1\n", "[A]\nx=5\n",
         "[A]\nx=5\na(b=1\n", ""},
        {"key twice in the source inserted twice", "[A]\nk=1\nk=2\n", "[A]\nx=5\n",
         "[A]\nx=5\nk=1\nk=2\n", ""},
        {"section twice in the source appended twice", "[B]\nb=1\n[B]\nb=2\n", "[A]\n",
         "[A]\n\r\n[B]\nb=1\n\r\n[B]\nb=1\n", ""},
        {"section twice in the source merged once", "[A]\nb=1\n[A]\nb=2\n", "[A]\n", "[A]\nb=1\n",
         ""},
        {"lines before the first header are not merged", "top=1\n[A]\nx=1\n", "[A]\n", "[A]\nx=1\n",
         ""},
        {"destination sections the source lacks stay", "[A]\nx=1\n", "; head\n[Z]\nz=1\n[A]\n",
         "; head\n[Z]\nz=1\n[A]\nx=1\n", ""},
        {"header with trailing white space matches", "[A]  \r\nx=1\r\n", "[A]\ny=1",
         "[A]\ny=1x=1\r\n", ""},
        {"last line without terminator runs on", "[A]\nx=1\ny=2\n", "[A]\nx=5", "[A]\nx=5y=2\n",
         ""},
        {"empty destination gets new sections", "[A]\nx=1\n", "", "\r\n[A]\nx=1\n", ""},
        {"empty source changes nothing", "", "[A]\nx=5\n", "[A]\nx=5\n", ""},
        {"empty value fails", "[A]\nkey=\n", "[A]\nx=5\n", "[A]\nx=5\n", parseIni},
        {"no = fails", "[A]\njust words\n", "[A]\n", "[A]\n", parseIni},
        {"second = fails", "[A]\nk=a=b\n", "[A]\n", "[A]\n", parseIni},
        {"a new section is copied whole, unparsed", "[B]\nk=\n", "[A]\n", "[A]\n\r\n[B]\nk=\n", ""},
        {"comment after a header fails", "[A] ; words\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"comment after a new header fails", "[N] ; words\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"blank in a section name fails", "[My Section]\nx=1\n", "[A]\n", "[A]\n", errorParsing},
        {"truncated header fails", "[A]\nx=1\n[B", "[A]\n", "[A]\n", errorParsing},
    };
    for (const MergeRow &row : rows) {
        QByteArray result;
        EXPECT_EQ(merge(row.source, row.destination, result), row.error) << row.name;
        EXPECT_EQ(result.toStdString(), row.expected.toStdString()) << row.name;
    }
}

TEST(IniTool, KeepsEveryByteOfTheDestination)
{
    // Latin-1, UTF-8 and control bytes, CR LF and LF mixed, a NUL, no final terminator.
    const QByteArray destination = QByteArray("\xEF\xBB\xBF; Einstellungen f\xC3\xBCr Quor\r\n"
                                              "[A]\n"
                                              "name=M\xFCller\r\n"
                                              "path=C:\\Daten\\\xE4\x01\n")
        + QByteArray("odd=a\0b\r\n", 9)
        + QByteArray("[B]\r\n"
                     "last=\xFF\xFE");
    const QByteArray source = "[A]\r\nnew=\xC3\xA9t\xC3\xA9\r\n[B]\nlast=0\n[C]\nc=\xA7\n";
    QByteArray result;
    ASSERT_EQ(merge(source, destination, result), "");
    QByteArray expected = destination;
    expected.insert(expected.indexOf("[B]"), "new=\xC3\xA9t\xC3\xA9\r\n");
    expected += "\r\n[C]\nc=\xA7\n";
    EXPECT_EQ(result.toHex().toStdString(), expected.toHex().toStdString());
}

TEST(IniTool, FailuresLeaveTheDestinationUntouched)
{
    const QByteArray original = "[A]\r\ny=2\r\n";
    const IniFiles files("[A]\nx=1\n", original);
    const QString &source = files.source;
    const QString &destination = files.destination;
    const QString missing = files.dir.filePath("missing.ini");
    const QString folder = files.dir.path();

    EXPECT_EQ(mergeError(missing, destination),
              "Source INI file " + missing.toStdString() + " can't be read!");
    EXPECT_EQ(mergeError(folder, destination),
              "Source INI file " + folder.toStdString() + " can't be read!");
    EXPECT_EQ(mergeError(source, missing),
              "Destination INI file " + missing.toStdString() + " can't be opened!");
    EXPECT_FALSE(QFileInfo::exists(missing)) << "a missing destination is not created";
    EXPECT_EQ(mergeError(source, folder),
              "Destination INI file " + folder.toStdString() + " can't be opened!");
    EXPECT_EQ(readFile(destination), original);

    if (::geteuid() != 0) { // permissions do not stop root
        QFile::setPermissions(destination, QFile::ReadOwner);
        EXPECT_EQ(mergeError(source, destination),
                  "Destination INI file " + destination.toStdString() + " can't be opened!");
        QFile::setPermissions(source, QFileDevice::Permissions());
        QFile::setPermissions(destination, QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(mergeError(source, destination),
                  "Source INI file " + source.toStdString() + " can't be read!");
        QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner);
    }
    EXPECT_EQ(readFile(destination), original);
    EXPECT_EQ(files.fileCount(), 2);
}

TEST(IniTool, AFailedRewriteLeavesTheDestinationWhole)
{
    const QByteArray original = "[A]\r\nx=5\r\n";
    const IniFiles files("[A]\ny=" + QByteArray(4096, 'v') + "\n", original);

    // A file size limit below the merged size makes the write fail part way.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::string error = files.merge();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(error,
              "Destination INI file " + files.destination.toStdString() + " can't be written!");
    EXPECT_EQ(readFile(files.destination), original);
    EXPECT_EQ(files.fileCount(), 2);
}

// Without room for a file beside it, the destination is rewritten in place, as it would be
// without the atomic replacement.
TEST(IniTool, RewritesInPlaceInAFolderThatTakesNoNewFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const IniFiles files("[A]\nx=1\n", "[A]\n");
    const auto writable = QFile::permissions(files.dir.path());
    QFile::setPermissions(files.dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const std::string error = files.merge();
    QFile::setPermissions(files.dir.path(), writable);
    EXPECT_EQ(error, "");
    EXPECT_EQ(readFile(files.destination), "[A]\nx=1\n");
}

TEST(IniTool, KeepsTheDestinationsPermissions)
{
    const IniFiles files("[A]\nx=1\n", "[A]\n");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(files.destination, permissions);
    EXPECT_EQ(files.merge(), "");
    EXPECT_EQ(readFile(files.destination), "[A]\nx=1\n");
    EXPECT_EQ(QFile::permissions(files.destination) & 0x7077, permissions & 0x7077);
}

TEST(IniTool, RewritesTheTargetOfALinkedDestination)
{
    const IniFiles files("[A]\nx=1\n", "[A]\n");
    const QString link = files.dir.filePath("link.ini");
    ASSERT_TRUE(QFile::link(files.destination, link));
    EXPECT_EQ(mergeError(files.source, link), "");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(files.destination), "[A]\nx=1\n");
}

TEST(IniTool, ListsSectionNamesAndExtractsSections)
{
    const QStringList lines = {"top=1\n",    "[A]\r\n", "a=1\n",   "  [B_2] ; c\n",
                               "[My Sec]\n", "b=2\n",   "\t[A]\n", "again=1"};
    EXPECT_EQ(IniToolProbe::getAllSections(lines), (QStringList {"A", "B_2", "", "A"}));
    EXPECT_EQ(IniToolProbe::extractSection("A", lines), (QStringList {"[A]\r\n", "a=1\n"}));
    EXPECT_EQ(IniToolProbe::extractSection("B_2", lines), QStringList {});
    EXPECT_EQ(IniToolProbe::extractSection("Z", lines), QStringList {});
}

TEST(IniTool, MergeSectionsThrowsForASectionMissingOnEitherSide)
{
    QStringList destination = {"[A]\n"};
    EXPECT_THROW(IniToolProbe::mergeSections({"[B]\n", "x=1\n"}, "B", destination),
                 std::runtime_error);
    EXPECT_THROW(IniToolProbe::mergeSections({"[A]\n"}, "Z", destination), std::runtime_error);
    EXPECT_THROW(IniToolProbe::addSection({"[A]\n"}, "B", destination), std::runtime_error);
    EXPECT_EQ(destination, QStringList {"[A]\n"});
}

TEST(IniTool, BadFilesGiveTheirDocumentedOutcome)
{
    struct Row
    {
        const char *file;
        const char *error;
    } rows[] = {
        {"bad_binary_garbage.ini", parseIni},
        {"bad_unclosed_header.ini", errorParsing},
        {"bad_nul_in_key.ini", ""},
        {"bad_only_equals.ini", parseIni},
        {"bad_cr_only_lines.ini", errorParsing},
    };
    const QByteArray destination = "[A]\r\nx=5\r\n";
    for (const Row &row : rows) {
        QByteArray result;
        const std::string error =
            merge(readFile(quortest::dataPath(QStringLiteral("config/") + row.file)), destination,
                  result);
        EXPECT_EQ(error, row.error) << row.file;
        if (*row.error)
            EXPECT_EQ(result, destination) << row.file;
        else
            EXPECT_TRUE(result.startsWith(destination.left(5))) << row.file;
    }
}

// Random truncations and byte mutations of both files: the merge either fails with one of its
// messages, leaving the destination alone, or keeps every destination line, in order.
TEST(IniTool, MutatedFilesNeverLoseDestinationLines)
{
    const QByteArray base = "; settings\r\n[NamingConfig]\r\nZeduvidoFileNaming=D:/cfg/a.xml\n"
                            "\n[A]\nx=1\n  ; c\ny = 2\n[B]\r\nPath=\xE4\r\n";
    QRandomGenerator random(20240611);
    for (int round = 0; round < 300; ++round) {
        QByteArray source = base;
        QByteArray destination = base;
        for (QByteArray *bytes : {&source, &destination}) {
            const int edits = random.bounded(4);
            for (int e = 0; e < edits && !bytes->isEmpty(); ++e) {
                const int at = random.bounded(bytes->size());
                switch (random.bounded(3)) {
                case 0:
                    (*bytes)[at] = static_cast<char>(random.bounded(256));
                    break;
                case 1:
                    bytes->truncate(at);
                    break;
                default:
                    bytes->insert(at, "[=\n;"[random.bounded(4)]);
                }
            }
        }
        QByteArray result;
        const std::string error = merge(source, destination, result);
        if (!error.empty()) {
            EXPECT_TRUE(error == parseIni || error == errorParsing) << error;
            EXPECT_EQ(result, destination) << "round " << round;
            continue;
        }
        int from = 0;
        for (const QByteArray &line : destination.split('\n')) {
            const int at = result.indexOf(line, from);
            ASSERT_GE(at, 0) << "round " << round << ": lost " << line.toStdString();
            from = at + line.size();
        }
    }
}
