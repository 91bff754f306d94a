#include "util/strings/IOQString.h"

#include <gtest/gtest.h>

using util::IOQString;

TEST(IOQString, AssemblesFileNames)
{
    EXPECT_EQ(IOQString::addExtension("a/img.", "sup"), "a/img.sup");
    EXPECT_EQ(IOQString::addExtension("a/img.", ""), "a/img");
    EXPECT_EQ(IOQString::changeExtension("a/img.tar.gz", "bz2"), "a/img.tar.bz2");
    EXPECT_EQ(IOQString::changeExtension("a.d/img", "sup"), "a.d/img.sup");
    EXPECT_EQ(IOQString::makeUpFileName("/data", "img.tif", "sup"), "/data/img.sup");
    EXPECT_EQ(IOQString::makeUpFileName("", "img.tif", "sup"), "img.sup");
    EXPECT_EQ(IOQString::makeUpFileName("/data", "/abs/img.tif", ""), "/abs/img.tif");
    EXPECT_EQ(IOQString::makeUpFileName("rel", "sub/img", "sup"), "rel/sub/img.sup");
}
