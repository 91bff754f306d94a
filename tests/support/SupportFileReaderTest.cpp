// Reading support files: level detection, keywords of each level, value forms, dates, and the
// outcomes chosen for malformed input.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using quortest::hasFields;
using quortest::writeText;
using util::SupportFile;

// Level detection, the keywords of each level, value forms and dates:
// tests/data/support/reading.txt.
TEST(SupportFile, ReadsTheTextsOfTheReadingTable)
{
    QTemporaryDir dir;
    const std::vector<quortest::TableRow> rows = quortest::tableRows("support/reading.txt");
    ASSERT_GT(rows.size(), 40u);
    for (const quortest::TableRow &row : rows) {
        SupportFile r;
        r.setPhotoDate(123);
        const std::string path = writeText(dir, "t.sup", row[1]);
        const int level = r.loadFile(path);
        EXPECT_EQ(level, r.getImageLevel()) << row.line;
        EXPECT_TRUE(hasFields(r, row[2])) << row.line;
        EXPECT_EQ(r.getL0ImageName() == path, row[0] == "complete") << row.line;
    }
}

TEST(SupportFile, CrLfAndCrOnlyFilesReadExactlyLikeLfFiles)
{
    QTemporaryDir dir;
    for (const QString &file : quortest::wellFormedSupportFiles()) {
        const QByteArray lf = quortest::readFile(file);
        for (const char *lineEnd : {"\r\n", "\r"}) {
            SupportFile a, b;
            EXPECT_EQ(a.loadFile(writeText(dir, "lf.sup", lf.toStdString())),
                      b.loadFile(writeText(dir, "other.sup",
                                           QByteArray(lf).replace("\n", lineEnd).toStdString())));
            EXPECT_TRUE(quortest::sameFields(b, a, {"l0ImageName"}))
                << file.toStdString() << (lineEnd[1] ? " CR LF" : " CR");
            EXPECT_EQ(b.getL0ImageName(), dir.filePath("other.sup").toStdString());
        }
    }
}

TEST(SupportFile, ReadsBadInputsWithTheDocumentedOutcome)
{
    QStringList covered;
    for (const quortest::TableRow &row : quortest::tableRows("support/damaged.txt")) {
        covered << QString::fromStdString(row[0]);
        const std::string path = quortest::dataPath("support/" + covered.back()).toStdString();
        // Both loads start from one record: its defaults include the time of its construction,
        // which two records made apart can see on either side of a second's boundary.
        SupportFile fresh;
        fresh.setPhotoDate(42);
        SupportFile r = fresh;
        quortest::CaptureFd err(2);
        EXPECT_EQ(r.loadFile(path), std::stoi(row[1])) << row.line;
        EXPECT_EQ(err.text(), row.cells.size() > 5 ? row[5] : "") << row.line;
        EXPECT_EQ(r.getL0ImageName() == path, row[2] == "complete") << row.line;
        EXPECT_TRUE(hasFields(r, row[3])) << row.line;

        // The checked load changes the record alike, says nothing on stderr, and names the line.
        SupportFile checked = fresh;
        util::Failure failure;
        quortest::CaptureFd quiet(2);
        EXPECT_EQ(checked.loadFileChecked(path, &failure), SupportFile::ReadStatus::Damaged)
            << row.line;
        EXPECT_EQ(quiet.text(), "") << row.line;
        EXPECT_EQ(failure.text().toStdString(), path + ": " + row[4]) << row.line;
        EXPECT_TRUE(quortest::sameFields(checked, r)) << row.line;
    }
    covered.sort();
    EXPECT_EQ(QDir(quortest::dataPath("support")).entryList({"bad_*"}, QDir::Files, QDir::Name),
              covered);
}

TEST(SupportFile, WellFormedAndWrittenFilesLoadCompleteWhenChecked)
{
    QTemporaryDir dir;
    std::vector<std::string> paths;
    for (const QString &file : quortest::wellFormedSupportFiles())
        paths.push_back(file.toStdString());
    // What the writer writes, with unformattable dates, the bare GRID_NAME of the transverse
    // Mercator section and CR-only line ends as well.
    SupportFile l1 = quortest::goldenL1Record();
    l1.setPhotoDate(-99999999999999);
    SupportFile l2 = quortest::goldenL2Record();
    l2.setProjectionType("TRANSVERSE_MERCATOR_PROJECTION");
    paths.push_back(dir.filePath("w1.sup").toStdString());
    ASSERT_TRUE(l1.exportL1SupportFile(paths.back(), true, true));
    paths.push_back(dir.filePath("w2.sup").toStdString());
    ASSERT_TRUE(l2.exportL2SupportFile(paths.back()));
    paths.push_back(writeText(dir, "cr.sup", l1.formatL1SupportFile("", true, false)));
    QByteArray cr = quortest::readFile(QString::fromStdString(paths.back())).replace('\n', '\r');
    quortest::writeFile(QString::fromStdString(paths.back()), cr);
    for (const std::string &path : paths) {
        SupportFile r;
        util::Failure failure;
        EXPECT_EQ(r.loadFileChecked(path, &failure), SupportFile::ReadStatus::Complete)
            << path << ": " << failure.text().toStdString();
        EXPECT_EQ(failure.reason, QString()) << path;
    }
}

TEST(SupportFile, RefusesWhatIsNoRegularFileOrTooLarge)
{
    QTemporaryDir dir;
    struct Row
    {
        QString path;
        std::string error;
    };
    std::vector<Row> rows = {
        {dir.filePath("missing.sup"), "%1: No such file or directory"},
        {dir.path(), "%1: Is a directory"},
        {dir.filePath("fifo.sup"), "%1: not a regular file"},
        {dir.filePath("huge.sup"), "%1: larger than 16 MiB, no support file"},
        {QString(), "No such file or directory%1"},
    };
    ASSERT_EQ(mkfifo(QFile::encodeName(rows[2].path).constData(), 0600), 0);
    {
        QFile huge(rows[3].path);
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        ASSERT_TRUE(huge.resize((16 << 20) + 1)); // sparse: no disk space
    }
    if (geteuid() == 0) {
        // A character device like /dev/zero, made inside the test's own folder.
        const QString zero = dir.filePath("zero.sup");
        ASSERT_EQ(mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0600, makedev(1, 5)), 0);
        rows.push_back({zero, "%1: not a regular file"});
    }
    for (const Row &row : rows) {
        const std::string path = row.path.toStdString();
        SupportFile r;
        r.setImageID("kept");
        const SupportFile before = r;
        util::Failure failure;
        EXPECT_EQ(r.loadFileChecked(path, &failure), SupportFile::ReadStatus::Unreadable) << path;
        EXPECT_EQ(failure.text(), QString::fromStdString(row.error).arg(row.path)) << path;
        EXPECT_EQ(r.loadFile(path), 0) << path;
        EXPECT_TRUE(quortest::sameFields(r, before)) << path;
    }
}
