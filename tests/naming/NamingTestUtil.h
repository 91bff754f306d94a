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

/// The rows of a table under tests/data/naming: one a line, cells separated by " <- ", lines
/// beginning with "#" left out.
inline QList<QStringList> namingTable(const QString &file)
{
    QList<QStringList> rows;
    for (const QString &line : tableLines("naming/" + file))
        rows << line.split(" <- ");
    return rows;
}

} // namespace quortest
