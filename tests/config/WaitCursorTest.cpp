#include "util/config/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <optional>

namespace {
bool waiting()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}
} // namespace

TEST(WaitCursor, NestsAndCopiesUntilTheLastEnds)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        util::WaitCursor outer;
        EXPECT_TRUE(waiting());
        std::optional<util::WaitCursor> copy;
        {
            util::WaitCursor inner;
            copy.emplace(inner);
            copy = inner;
        }
        EXPECT_TRUE(waiting());
        copy.reset();
        EXPECT_TRUE(waiting());
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
