#include "util/files/Failure.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(Failure, TextNamesThePathThePlaceAndTheReason)
{
    EXPECT_EQ(util::Failure::system(ENOENT, "nodir/x.lik").text(),
              "nodir/x.lik: No such file or directory");
    EXPECT_EQ(util::Failure::system(ENOENT, "nodir/x.lik").error, ENOENT);
    EXPECT_EQ(util::Failure::document("a.xml", 3, 7, "tag mismatch").text(),
              "a.xml: line 3, column 7: tag mismatch");
    EXPECT_EQ(util::Failure::document("a.xml", 3, 0, "too deep").text(), "a.xml: line 3: too deep");
    EXPECT_EQ(util::Failure::other(QString(), "no curve").text(), "no curve");

    util::Failure out;
    EXPECT_FALSE(util::fail(&out, util::Failure::system(EACCES, "f")));
    EXPECT_EQ(out.text(), "f: Permission denied");
    EXPECT_FALSE(util::fail(nullptr, util::Failure::other("f", "x")));
}
