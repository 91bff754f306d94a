#include "util/strings/IOString.h"

#include <gtest/gtest.h>

using util::IOString;

namespace {

struct PathRow
{
    const char *path;
    const char *extension;
    const char *fileName;
    const char *baseName;
    const char *dir;
};

const PathRow pathRows[] = {
    {"C:\\data\\img.L1.sup", "sup", "img.L1.sup", "img", "C:\\data"},
    {"/data/archive.tar.gz", "gz", "archive.tar.gz", "archive", "/data"},
    {"dir.d/name", "", "name", "name", "dir.d"},
    {"name.", "", "name.", "name", ""},
    {".hidden", "hidden", ".hidden", "", ""},
    {"plain", "", "plain", "plain", ""},
    {"C:file.txt", "txt", "file.txt", "file", "C"},
    {"a/b\\", "", "", "", "a/b"},
    {"", "", "", "", ""},
};

} // namespace

TEST(IOString, DissectsPaths)
{
    for (const PathRow &row : pathRows) {
        EXPECT_EQ(IOString::getExtension(row.path), row.extension) << row.path;
        EXPECT_EQ(IOString::getFileName(row.path), row.fileName) << row.path;
        EXPECT_EQ(IOString::getBaseName(row.path), row.baseName) << row.path;
        EXPECT_EQ(IOString::getPath(row.path), row.dir) << row.path;
    }
}

TEST(IOString, ChangesExtensionAndTurnsSlashesIntoBackslashes)
{
    EXPECT_EQ(IOString::changeExtension("a/b/img.tif", "sup"), "a\\b\\img.sup");
    EXPECT_EQ(IOString::changeExtension("a/b/img.tif", ""), "a\\b\\img");
    EXPECT_EQ(IOString::changeExtension("a/b/img", "sup"), "a\\b\\img.sup");
    EXPECT_EQ(IOString::changeExtension("a/b/img", ""), "a\\b\\img");
    EXPECT_EQ(IOString::changeExtension("a.d/img", "x"), "a.d\\img.x");
    EXPECT_EQ(IOString::changeExtension("img.tar.gz", "bz2"), "img.tar.bz2");
    EXPECT_EQ(IOString::changeExtension("img.tif", ".sup"), "img..sup");
}

TEST(IOString, TrimsAndRemovesKeywords)
{
    std::string text = " \t value \t";
    IOString::trim(text, " \t");
    EXPECT_EQ(text, "value");
    text = "   ";
    IOString::trim(text, " ");
    EXPECT_EQ(text, "");
    text = "xxaxx";
    IOString::trim2(text, 'x');
    EXPECT_EQ(text, "a");

    std::string line = "KEYWORD     value with spaces  ";
    EXPECT_EQ(IOString::removeKeyword(line), "KEYWORD");
    EXPECT_EQ(line, "value with spaces");

    line = "KEYWORD";
    EXPECT_EQ(IOString::removeKeyword(line), "");
    EXPECT_EQ(line, "KEYWORD");

    line = "\tvalue";
    EXPECT_EQ(IOString::removeKeyword(line), "");
    EXPECT_EQ(line, "value");
}

TEST(IOString, RemovesTrailingPathDelimiters)
{
    EXPECT_EQ(IOString::removeTrailingPathDelimeter("plain"), "");
    EXPECT_EQ(IOString::removeTrailingPathDelimeter("a/b/"), "a/b");
    EXPECT_EQ(IOString::removeTrailingPathDelimeter("a\\b\\\\"), "a\\b");
    EXPECT_EQ(IOString::removeTrailingPathDelimeter("a/b"), "a/b");
}
