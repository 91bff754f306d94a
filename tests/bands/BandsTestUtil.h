#pragma once

#include "tests/common/TestUtil.h"

#include <QString>

#include <string>
#include <vector>

namespace quortest {

/// Path of a file under tests/data/bands.
inline QString bandsData(const QString &file)
{
    return dataPath("bands/" + file);
}

/// Names separated by blanks; "" stands for an empty name.
inline std::vector<std::string> nameList(const std::string &cell)
{
    std::vector<std::string> names;
    for (const QString &name : QString::fromStdString(cell).split(' ', Qt::SkipEmptyParts))
        names.push_back(name == QLatin1String("\"\"") ? std::string() : name.toStdString());
    return names;
}

} // namespace quortest
