#include "util/strings/IOString.h"

#include <gtest/gtest.h>

using util::IOString;

TEST(IOString, DissectsPaths)
{
    const struct
    {
        const char *path, *extension, *fileName, *baseName, *dir;
    } rows[] = {
        {"C:\\data\\img.L1.sup", "sup", "img.L1.sup", "img", "C:\\data"},
        {"/data/archive.tar.gz", "gz", "archive.tar.gz", "archive", "/data"},
        {"dir.d/name", "", "name", "name", "dir.d"},
        {".hidden", "hidden", ".hidden", "", ""},
        {"C:file.txt", "txt", "file.txt", "file", "C"},
        {"a/b\\", "", "", "", "a/b"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(IOString::getExtension(row.path), row.extension) << row.path;
        EXPECT_EQ(IOString::getFileName(row.path), row.fileName) << row.path;
        EXPECT_EQ(IOString::getBaseName(row.path), row.baseName) << row.path;
        EXPECT_EQ(IOString::getPath(row.path), row.dir) << row.path;
    }
    EXPECT_EQ(IOString::removeTrailingPathDelimeter("plain"), "");
    EXPECT_EQ(IOString::removeTrailingPathDelimeter("a\\b\\/"), "a\\b");
}

TEST(IOString, ChangesExtensionAndTurnsSlashesIntoBackslashes)
{
    EXPECT_EQ(IOString::changeExtension("a/b/img.tif", "sup"), "a\\b\\img.sup");
    EXPECT_EQ(IOString::changeExtension("a/b/img.tif", ""), "a\\b\\img");
    EXPECT_EQ(IOString::changeExtension("a/b/img", ""), "a\\b\\img");
    EXPECT_EQ(IOString::changeExtension("a.d/img", "x"), "a.d\\img.x");
    EXPECT_EQ(IOString::changeExtension("img.tif", ".sup"), "img..sup");
}

TEST(IOString, TrimsAndRemovesKeywords)
{
    std::string text = " \t value \t";
    IOString::trim(text, " \t");
    EXPECT_EQ(text, "value");
    text = "xxx";
    IOString::trim2(text, 'x');
    EXPECT_EQ(text, "");

    std::string line = "KEYWORD     value with spaces  ";
    EXPECT_EQ(IOString::removeKeyword(line), "KEYWORD");
    EXPECT_EQ(line, "value with spaces");
    line = "KEYWORD";
    EXPECT_EQ(IOString::removeKeyword(line), "");
    EXPECT_EQ(line, "KEYWORD");
}
