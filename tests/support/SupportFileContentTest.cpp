// What a support file holds, told apart from the record's defaults, and the files it refers
// to, resolved beside it: tests/data/support/content.txt.

#include "util/support/SupportFileContent.h"
#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using quortest::writeText;
using util::SupportFile;

namespace {

std::string joined(const std::vector<util::SupportFileEntry> &entries)
{
    std::string text;
    for (const util::SupportFileEntry &e : entries) {
        if (!text.empty())
            text += "; ";
        text += e.keyword + "=" + e.value + "@" + std::to_string(e.line) + (e.cut ? "!cut" : "");
    }
    return text;
}

const char *stateName(util::SupportFileReference::State state)
{
    switch (state) {
    case util::SupportFileReference::Present:
        return "present";
    case util::SupportFileReference::Missing:
        return "missing";
    case util::SupportFileReference::Folder:
        return "folder";
    case util::SupportFileReference::Cut:
        return "cut";
    }
    return "?";
}

} // namespace

TEST(SupportFileContent, ListsWhatTheFileHoldsInFileOrder)
{
    QTemporaryDir dir;
    for (const quortest::TableRow &row : quortest::tableRows("support/content.txt", "entries")) {
        SupportFile viaContent, viaChecked;
        const std::string path = writeText(dir, "t.sup", row[0]);
        std::vector<util::SupportFileEntry> entries {{"stale", "", 0, false}};
        util::Failure failure, checked;
        const auto status = util::loadSupportFileContent(viaContent, path, &entries, &failure);
        EXPECT_EQ(joined(entries), row[1]) << row.line;
        // The record, the outcome and the failure are loadFileChecked's.
        EXPECT_EQ(status, viaChecked.loadFileChecked(path, &checked)) << row.line;
        EXPECT_EQ(failure.text(), checked.text()) << row.line;
        EXPECT_TRUE(quortest::sameFields(viaContent, viaChecked, {"imageDate", "photoDate"}))
            << row.line;
    }
}

TEST(SupportFileContent, FindEntryGivesTheValueTheRecordKept)
{
    QTemporaryDir dir;
    SupportFile record;
    std::vector<util::SupportFileEntry> entries;
    util::loadSupportFileContent(record, writeText(dir, "t.sup", "BIAS 1\nBIAS 2\n"), &entries);
    ASSERT_NE(util::findEntry(entries, "BIAS"), nullptr);
    EXPECT_EQ(util::findEntry(entries, "BIAS")->value, "2");
    EXPECT_EQ(record.getBias(), 2);
    EXPECT_EQ(util::findEntry(entries, "GAIN"), nullptr);
}

TEST(SupportFileContent, AnUnreadableFileListsNothing)
{
    QTemporaryDir dir;
    SupportFile record;
    std::vector<util::SupportFileEntry> entries {{"stale", "", 0, false}};
    util::Failure failure;
    EXPECT_EQ(util::loadSupportFileContent(record, dir.filePath("none.sup").toStdString(), &entries,
                                           &failure),
              SupportFile::ReadStatus::Unreadable);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(failure.path, dir.filePath("none.sup"));
    EXPECT_EQ(failure.error, ENOENT) << failure.text().toStdString();
}

TEST(SupportFileContent, ResolvesReferencesBesideTheSupportFile)
{
    QTemporaryDir dir;
    const QDir sub(dir.filePath("sub"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("sub/img") && QDir(dir.path()).mkpath("sub/cal")
                && QDir(dir.path()).mkpath("sub/folder.vyn")
                && QDir(dir.path()).mkpath("sub/" + QString(251, 'x')));
    for (const char *file : {"sub/img/a.vyn", "sub/cal/c.cal"}) {
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // The current folder holds none of them.
    const quortest::InFolder elsewhere(QDir::tempPath());
    for (const quortest::TableRow &row : quortest::tableRows("support/content.txt", "references")) {
        const std::string path = writeText(dir, "sub/t.sup", row[0]);
        SupportFile record;
        std::vector<util::SupportFileEntry> entries;
        util::loadSupportFileContent(record, path, &entries);
        std::string text;
        for (const util::SupportFileReference &r :
             util::supportFileReferences(record, entries, path)) {
            if (!text.empty())
                text += "; ";
            text += r.what + "=" + r.name + ":" + stateName(r.state);
            EXPECT_EQ(QString::fromStdString(r.path).startsWith(sub.path()), r.name[0] != '/')
                << r.path;
            EXPECT_EQ(r.message.empty(), r.state == util::SupportFileReference::Present);
            if (r.state == util::SupportFileReference::Missing) {
                EXPECT_EQ(r.message, r.what + ": " + r.name + " dosen't exist!");
            }
        }
        EXPECT_EQ(text, row[1]) << row.line;
    }
}
