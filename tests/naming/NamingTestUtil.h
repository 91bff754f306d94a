#pragma once

#include "tests/common/TestUtil.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace quortest {

/// A file under tests/data/naming as text.
inline QString namingData(const QString &file)
{
    return QString::fromUtf8(readFile(dataPath("naming/" + file)));
}

/// Cell i of a table row as text, or fallback where the row is shorter.
inline QString cell(const TableRow &row, std::size_t i, const QString &fallback = QString())
{
    return i < row.cells.size() ? QString::fromStdString(row[i]) : fallback;
}

} // namespace quortest
