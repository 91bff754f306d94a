#include "util/files/auto_file.h"

#include "tests/common/TestUtil.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using util::auto_file;

namespace {

class AutoFile : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string make(const QByteArray &bytes)
    {
        const QString path = dir.filePath("f.txt");
        quortest::writeFile(path, bytes);
        return path.toStdString();
    }
    QTemporaryDir dir;
};

// Whether a descriptor is still open: after the last owner is gone it must be closed.
bool fdOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

} // namespace

TEST_F(AutoFile, ReadsLinesAndReportsTheEnd)
{
    auto_file f(make("first\nsecond\n\nlast").c_str(), "r");
    ASSERT_TRUE(f.isValid());
    EXPECT_EQ(f.getLine(), "first");
    EXPECT_EQ(f.getLine(), "second");
    EXPECT_EQ(f.getLine(), "");
    EXPECT_TRUE(f.isValid());
    EXPECT_EQ(f.getLine(), "last");
    EXPECT_EQ(f.lastLine(), "last");
    EXPECT_FALSE(f.isValid());
    EXPECT_NE(f.eof(), 0);
    EXPECT_EQ(f.getLine(), "");
}

TEST_F(AutoFile, ReturnsLongLinesInPiecesOf254)
{
    const std::string longLine(600, 'x');
    auto_file f(make(QByteArray::fromStdString(longLine + "\nnext\n")).c_str(), "r");
    EXPECT_EQ(f.getLine().size(), 254u);
    EXPECT_EQ(f.getLine().size(), 254u);
    EXPECT_EQ(f.getLine(), std::string(92, 'x'));
    EXPECT_EQ(f.getLine(), "next");
}

TEST_F(AutoFile, OpenOfMissingFileFailsCleanly)
{
    auto_file f;
    EXPECT_FALSE(f.isValid());
    EXPECT_EQ(f.getLine(), "");
    EXPECT_EQ(f.eof(), 1);
    EXPECT_EQ(f.open(dir.filePath("missing").toUtf8().constData(), "r"), -1);
    EXPECT_FALSE(f.isValid());
    EXPECT_EQ(static_cast<FILE *>(f), nullptr);
}

TEST_F(AutoFile, ReopenClosesTheOldFile)
{
    const std::string path = make("a\n");
    auto_file f(path.c_str(), "r");
    const int fd = ::fileno(f);
    EXPECT_EQ(f.open(path.c_str(), "r"), 1);
    // The new stream may reuse the descriptor number; then it must be the new stream's.
    EXPECT_TRUE(!fdOpen(fd) || ::fileno(f) == fd);
    f.close();
    EXPECT_FALSE(fdOpen(fd));
}

TEST_F(AutoFile, CopiesShareTheFileAndCloseItOnce)
{
    const std::string path = make("one\ntwo\nthree\n");
    int fd = -1;
    {
        auto_file a(path.c_str(), "r");
        fd = ::fileno(a);
        EXPECT_EQ(a.getLine(), "one");
        {
            auto_file b(a);
            EXPECT_EQ(b.lastLine(), "one");
            EXPECT_EQ(b.getLine(), "two"); // one stream, one position
            b.close();
            EXPECT_TRUE(fdOpen(fd)); // a still holds it
        }
        EXPECT_EQ(a.getLine(), "three");
        auto_file c;
        c = a;
        a.close();
        EXPECT_TRUE(fdOpen(fd));
    }
    EXPECT_FALSE(fdOpen(fd));
}

TEST_F(AutoFile, AssignmentOverAnOpenFileClosesIt)
{
    QTemporaryDir other;
    const QString otherPath = other.filePath("g.txt");
    quortest::writeFile(otherPath, "g\n");
    auto_file a(make("a\n").c_str(), "r");
    const int fdA = ::fileno(a);
    auto_file g(otherPath.toUtf8().constData(), "r");
    a = g;
    EXPECT_FALSE(fdOpen(fdA) && ::fileno(a) != fdA && ::fileno(g) != fdA);
    EXPECT_EQ(a.getLine(), "g");
    a = a; // self-assignment keeps the file
    EXPECT_NE(static_cast<FILE *>(a), nullptr);
}

TEST(AutoFileSplit, SplitsOnAnyDelimiter)
{
    std::list<std::string> list {"stale"};
    auto_file::split(",,a,b;;c,", ",;", list);
    EXPECT_EQ(list, (std::list<std::string> {"a", "b", "c"}));
    auto_file::split(",;,", ",;", list);
    EXPECT_TRUE(list.empty());
    auto_file::split("whole text", "", list);
    EXPECT_EQ(list, (std::list<std::string> {"whole text"}));

    std::vector<std::string> vec {"x", "y", "z", "w"};
    auto_file::split("  a b  ", " ", vec);
    EXPECT_EQ(vec, (std::vector<std::string> {"a", "b"}));
}
