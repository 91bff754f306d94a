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
    for (const QString &line : namingData(file).split('\n', Qt::SkipEmptyParts))
        if (!line.startsWith('#'))
            rows << line.split(" <- ");
    return rows;
}

/// A collection with one FilePattern per (id, prefix), each naming "<prefix>_Project".
inline QByteArray collectionXml(const QList<QPair<QString, QString>> &patterns)
{
    QByteArray xml = "<Patterns>";
    for (const auto &p : patterns)
        xml += "<FilePattern id=\"" + p.first.toUtf8() + "\" prefix=\"" + p.second.toUtf8()
            + "\" separator=\"_\"><Project pos=\"0\" checked=\"1\"/></FilePattern>";
    return xml + "</Patterns>";
}

} // namespace quortest
