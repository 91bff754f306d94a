#include "tests/naming/NamingSandbox.h"

#include "util/config/QuorEnvironment.h"

#include <QDir>
#include <QFileInfo>

namespace quortest {

namespace {

// The settings object outlives every test, so its file does too.
QSettings &processIni()
{
    static QTemporaryDir dir;
    static QSettings *ini = nullptr;
    if (!ini) {
        const QString path = dir.filePath(QStringLiteral("quor.ini"));
        writeFile(path, "[NamingConfig]\n");
        ScopedEnv iniEnv("QUOR_INI", path.toUtf8());
        ini = const_cast<QSettings *>(&util::getQuorIni());
    }
    return *ini;
}

} // namespace

void NamingSandbox::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_previousConfig = QString::fromUtf8(qgetenv("XDG_CONFIG_HOME"));
    const QString config = m_dir.filePath("config");
    m_xdg = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", config.toUtf8());
    // QSettings reads the XDG folder once per process, so the user scope is moved explicitly.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    m_develop = std::make_unique<ScopedEnv>("QUOR_DEVELOP", root().toUtf8());
    QDir().mkpath(root() + "/etc");

    QSettings &ini = processIni();
    ASSERT_TRUE(ini.fileName().startsWith(QDir::tempPath())) << ini.fileName().toStdString();
    ini.remove(QStringLiteral("NamingConfig"));
    ini.sync();

    // Nothing may land in the real user's settings.
    const QSettings user(QStringLiteral("Solvane"), QStringLiteral("QuorIngest"));
    ASSERT_TRUE(user.fileName().startsWith(m_dir.path())) << user.fileName().toStdString();
}

void NamingSandbox::TearDown()
{
    processIni().remove(QStringLiteral("NamingConfig"));
    m_develop.reset();
    m_xdg.reset();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_previousConfig);
}

void NamingSandbox::setNamingConfig(const QString &key, const QString &value)
{
    QSettings &ini = processIni();
    ini.setValue(QStringLiteral("NamingConfig/") + key, value);
    ini.sync();
}

void NamingSandbox::selectPattern(const QString &key, const QString &id)
{
    QSettings user(QStringLiteral("Solvane"), QStringLiteral("QuorIngest"));
    user.setValue(key, id);
    user.sync();
}

QString NamingSandbox::writeCollection(const QString &relative, const QByteArray &xml)
{
    const QString path = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path, xml);
    return path;
}

QString NamingSandbox::root() const
{
    return m_dir.filePath(QStringLiteral("root"));
}

QByteArray collectionXml(const QList<QPair<QString, QString>> &patterns, const QString &root)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\n<" + root.toUtf8() + ">\n";
    for (const auto &p : patterns) {
        xml += "  <FilePattern id=\"" + p.first.toUtf8() + "\" prefix=\"" + p.second.toUtf8()
            + "\" separator=\"_\">\n    <Project pos=\"0\" checked=\"1\"/>\n  </FilePattern>\n";
    }
    xml += "</" + root.toUtf8() + ">\n";
    return xml;
}

} // namespace quortest
