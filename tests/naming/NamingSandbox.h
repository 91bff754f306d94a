#pragma once

#include "tests/common/TestUtil.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace quortest {

/// A private installation root and native-settings folder for one test.
///
/// The process-wide quor.ini object is created once per process, so it lives on a file of the
/// test process's own; each sandbox empties its [NamingConfig] section and tests write the keys
/// they need with setNamingConfig(). Native settings ("Solvane" / "QuorIngest") go to the
/// sandbox's XDG config folder, and the root (QUOR_DEVELOP) is the sandbox's root/ folder.
class NamingSandbox : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /// Sets [NamingConfig] key in the process-wide settings object.
    void setNamingConfig(const QString &key, const QString &value);
    /// Stores the user's selected pattern id in the native settings.
    void selectPattern(const QString &key, const QString &id);
    /// Writes a collection file below the sandbox; returns its path.
    QString writeCollection(const QString &relative, const QByteArray &xml);
    /// The sandbox's installation root.
    QString root() const;

    QTemporaryDir m_dir;

private:
    std::unique_ptr<ScopedEnv> m_xdg;
    std::unique_ptr<ScopedEnv> m_develop;
    QString m_previousConfig;
};

/// A collection with one FilePattern per (id, prefix): each pattern names "<prefix>_Project".
QByteArray collectionXml(const QList<QPair<QString, QString>> &patterns,
                         const QString &root = QStringLiteral("Patterns"));

} // namespace quortest
