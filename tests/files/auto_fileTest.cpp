#include "util/files/auto_file.h"

#include "tests/common/TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>

using util::auto_file;

namespace {

bool fdOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST(AutoFile, ReadsLinesInPiecesOf254AndReportsTheEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.txt");
    quortest::writeFile(path, QByteArray(600, 'x') + "\n\nlast");
    auto_file f(path.toUtf8().constData(), "r");
    EXPECT_EQ(f.getLine().size(), 254u);
    EXPECT_EQ(f.getLine().size(), 254u);
    EXPECT_EQ(f.getLine(), std::string(92, 'x'));
    EXPECT_EQ(f.getLine(), "");
    EXPECT_TRUE(f.isValid());
    EXPECT_EQ(f.getLine(), "last");
    EXPECT_FALSE(f.isValid());
    EXPECT_EQ(f.getLine(), "");

    auto_file missing;
    EXPECT_EQ(missing.open(dir.filePath("missing").toUtf8().constData(), "r"), -1);
    EXPECT_FALSE(missing.isValid());
    EXPECT_EQ(missing.getLine(), "");
    EXPECT_EQ(missing.eof(), 1);
}

TEST(AutoFile, CopiesShareTheFileAndCloseItExactlyOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.txt");
    quortest::writeFile(path, "one\ntwo\nthree\n");
    int fd = -1;
    {
        auto_file a(path.toUtf8().constData(), "r");
        fd = ::fileno(a);
        EXPECT_EQ(a.getLine(), "one");
        {
            auto_file b(a);
            EXPECT_EQ(b.lastLine(), "one");
            EXPECT_EQ(b.getLine(), "two"); // one stream, one position
            b.close();
            EXPECT_TRUE(fdOpen(fd)); // a still holds it
        }
        auto_file c(path.toUtf8().constData(), "r");
        const int fdC = ::fileno(c);
        c = a; // assignment over an open file closes that file
        EXPECT_FALSE(fdOpen(fdC));
        c = c;
        EXPECT_EQ(c.getLine(), "three");
        a.close();
        EXPECT_TRUE(fdOpen(fd));
    }
    EXPECT_FALSE(fdOpen(fd));
}

TEST(AutoFileSplit, SplitsOnAnyDelimiter)
{
    std::list<std::string> list {"stale"};
    auto_file::split(",,a,b;;c,", ",;", list);
    EXPECT_EQ(list, (std::list<std::string> {"a", "b", "c"}));
    auto_file::split(",;,", ",;", list);
    EXPECT_TRUE(list.empty());
    std::vector<std::string> vec {"x", "y", "z"};
    auto_file::split("whole text", "", vec);
    EXPECT_EQ(vec, (std::vector<std::string> {"whole text"}));
}
