#pragma once

#include "tests/common/TestUtil.h"

#include <QList>
#include <QStringList>

#include <string>
#include <vector>

namespace quortest {

/// Path of a file under tests/data/bands.
inline QString bandsData(const QString &file)
{
    return dataPath("bands/" + file);
}

/// The rows of a table under tests/data/bands: one a line, cells separated by "<-" and trimmed,
/// lines beginning with "#" left out.
inline QList<QStringList> bandsTable(const QString &file)
{
    QList<QStringList> rows;
    for (const QString &line : tableLines("bands/" + file)) {
        QStringList cells;
        for (const QString &cell : line.split(QStringLiteral("<-")))
            cells << cell.trimmed();
        rows << cells;
    }
    return rows;
}

/// Names separated by blanks; "" stands for an empty name.
inline std::vector<std::string> nameList(const QString &cell)
{
    std::vector<std::string> names;
    for (const QString &name : cell.split(' ', Qt::SkipEmptyParts))
        names.push_back(name == QLatin1String("\"\"") ? std::string() : name.toStdString());
    return names;
}

inline std::string joined(const std::vector<std::string> &names, const char *separator = " ")
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i ? separator : "") + names[i];
    return text;
}

} // namespace quortest
