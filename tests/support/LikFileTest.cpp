// Image link files: the round trip, every reading failure, and the derived paths.

#include "util/support/LikFile.h"

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace {

std::string readFailure(const std::string &likPath)
{
    try {
        util::LikFile::createFromLikFile(likPath);
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "(read)";
}

TEST(LikFile, WrittenLinkReadsBack)
{
    QTemporaryDir dir;
    const std::string likPath = dir.filePath("a.lik").toStdString();
    util::LikFile lik("/data/ortho <&> ä.tif", likPath);
    lik.write();
    EXPECT_EQ(quortest::readFile(QString::fromStdString(likPath)),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<reference version=\"1.0\">\n"
              "   <URI>/data/ortho &lt;&amp;> \xc3\xa4.tif</URI>\n</reference>\n");
    const util::LikFile back = util::LikFile::createFromLikFile(likPath);
    EXPECT_EQ(back.imgFilePath(), "/data/ortho <&> ä.tif");
    EXPECT_EQ(back.likFilePath(), likPath);
    EXPECT_TRUE(back.existsLik());
    EXPECT_FALSE(back.existsImage());
    EXPECT_FALSE(util::LikFile().existsImage());

    // A URI nested deeper inside the reference counts, when it is the only one.
    quortest::writeFile(QString::fromStdString(likPath),
                        "<doc><reference version=\"1.0\"><x><y><URI>b.tif</URI></y></x></reference></doc>");
    util::LikFile nested("unchanged", likPath);
    nested.read();
    EXPECT_EQ(nested.imgFilePath(), "b.tif");
}

TEST(LikFile, MalformedFilesThrowTheirReason)
{
    int count = 0;
    for (const quortest::TableRow &row : quortest::tableRows("support/sidecars/bad_rows.txt")) {
        if (row[0].find(".lik") == std::string::npos)
            continue;
        const std::string file =
            quortest::dataPath(QString::fromStdString("support/sidecars/" + row[0])).toStdString();
        EXPECT_EQ(readFailure(file), "Error reading LIK file '" + file + "'. Message is: " + row[1])
            << row.line;
        // A failed read leaves the image path as it was.
        util::LikFile lik("kept.tif", file);
        EXPECT_THROW(lik.read(), std::runtime_error);
        EXPECT_EQ(lik.imgFilePath(), "kept.tif");
        ++count;
    }
    EXPECT_GE(count, 10);

    QTemporaryDir dir;
    const std::string missing = dir.filePath("missing.lik").toStdString();
    EXPECT_EQ(readFailure(missing),
              "Error reading LIK file '" + missing + "'. Message is: Could not open LIK file");
}

TEST(LikFile, MutatedFilesReadOrThrowTheDocumentedMessage)
{
    QTemporaryDir dir;
    const std::string good = dir.filePath("good.lik").toStdString();
    util::LikFile("/data/a.tif", good).write();
    const QByteArray original = quortest::readFile(QString::fromStdString(good));
    const std::string path = dir.filePath("m.lik").toStdString();
    std::mt19937 random(20261206);
    const auto check = [&](const QByteArray &bytes) {
        quortest::writeFile(QString::fromStdString(path), bytes);
        try {
            util::LikFile::createFromLikFile(path);
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(std::string(e.what()).rfind("Error reading LIK file '" + path
                                                      + "'. Message is: ",
                                                  0),
                      0u)
                << e.what();
        }
    };
    for (int length = 0; length < original.size(); ++length)
        check(original.left(length));
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = original;
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
            bytes[static_cast<int>(random() % bytes.size())] = static_cast<char>(random());
        check(bytes);
    }
}

TEST(LikFile, WriteIntoAMissingFolderThrows)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("no/such/a.lik").toStdString();
    util::LikFile lik("/data/a.tif", path);
    try {
        lik.write();
        FAIL() << "wrote into a missing folder";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Error reading LIK file '" + path + "'");
    }
}

TEST(LikFile, DerivedPathsKeepTheNameUpToItsLastDot)
{
    using util::LikFile;
    EXPECT_EQ(LikFile::computeLikFilePathFromGivenPath("/data/img.L1.tif"), "/data/img.L1.lik");
    EXPECT_EQ(LikFile::computeLikFilePathFromGivenPath("/data/img"), "/data/img.lik");
    EXPECT_EQ(LikFile::computeLovFilePathFromGivenPath("/data/img.L1.tif"), "/data/img.L1.lov");
    EXPECT_EQ(LikFile::computeLikFilePathFromGivenPath("rel/img.tif"),
              QDir::currentPath().toStdString() + "/rel/img.lik");
}

} // namespace
