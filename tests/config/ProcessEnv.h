#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace quortest {

/// This process's environment for a child, with "QUOR_DEVELOP" and "QUOR_INI" set to the given
/// values, or removed where a value is null.
inline QProcessEnvironment quorEnvironment(const QString &develop, const QString &ini = QString())
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QUOR_DEVELOP"));
    env.remove(QStringLiteral("QUOR_INI"));
    if (!develop.isNull())
        env.insert(QStringLiteral("QUOR_DEVELOP"), develop);
    if (!ini.isNull())
        env.insert(QStringLiteral("QUOR_INI"), ini);
    return env;
}

} // namespace quortest
