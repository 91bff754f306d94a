#include "util/config/QuorEnvironment.h"

#include "util/config/QuorEnvironment_p.h"

#include "util/UtilVersion.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace util {

namespace {

std::string forwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The one piece of process-wide state: created on first success, kept until the process ends.
std::unique_ptr<QSettings> &settingsObject()
{
    static std::unique_ptr<QSettings> settings;
    return settings;
}

} // namespace

namespace testseam {

std::string modulepathOf(const std::string &name)
{
    const std::string::size_type slash = name.rfind('/');
    if (slash == std::string::npos)
        return name;
    return name.substr(0, slash);
}

float vectorOpLevelFromEcx(unsigned int ecx)
{
    if (ecx & (1u << 20))
        return 4.2f;
    if (ecx & (1u << 19))
        return 4.1f;
    if (ecx & (1u << 9))
        return 3.1f;
    if (ecx & 1u)
        return 3.0f;
    return 2.0f;
}

} // namespace testseam

std::string modulename()
{
    return forwardSlashes(detail::executableName());
}

std::string modulepath()
{
    return testseam::modulepathOf(modulename());
}

float vectorOpLevel()
{
    return testseam::vectorOpLevelFromEcx(detail::cpuidLeaf1Ecx());
}

namespace {

std::string &namedRoot()
{
    static std::string root;
    return root;
}

} // namespace

void setQuorRoot(const std::string &root)
{
    namedRoot() = forwardSlashes(root);
}

std::string const getQuorRoot()
{
    if (qEnvironmentVariableIsSet("QUOR_DEVELOP"))
        return forwardSlashes(qgetenv("QUOR_DEVELOP").toStdString());
    if (!namedRoot().empty())
        return namedRoot();
    std::string root = modulepath();
    if (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

QSettings const &getQuorIni()
{
    std::unique_ptr<QSettings> &settings = settingsObject();
    if (settings)
        return *settings;

    QString path = QString::fromStdString(getQuorRoot()) + QStringLiteral("/quor.ini");
    if (qEnvironmentVariableIsSet("QUOR_INI"))
        path = QFile::decodeName(qgetenv("QUOR_INI"));
    const QFileInfo info(path);
    if (!info.exists())
        throw std::runtime_error("Can't find quor.ini: " + QFile::encodeName(path).toStdString());
    settings = std::make_unique<QSettings>(info.absoluteFilePath(), QSettings::IniFormat);
    return *settings;
}

std::string const getUnitTestDir()
{
    if (!qEnvironmentVariableIsSet("QUOR_UTEST_BASEDIR"))
        throw std::runtime_error("QUOR_UTEST_BASEDIR is not set.");
    return forwardSlashes(qgetenv("QUOR_UTEST_BASEDIR").toStdString());
}

std::string getHelpFile()
{
    const QString root = QString::fromStdString(getQuorRoot());
    const QStringList patterns {
        QStringLiteral("*quor*%1.%2*manual*.pdf").arg(UTIL_VERSION_MAJOR).arg(UTIL_VERSION_MINOR),
        QStringLiteral("Quor*Viewer*Manual.pdf")};
    // Without QDir::CaseSensitive the name filters ignore letter case.
    const QStringList found = QDir(root).entryList(patterns, QDir::Files, QDir::NoSort);
    if (found.isEmpty())
        throw std::runtime_error("Can't find help file");
    return (root + QLatin1Char('/') + found.first()).toStdString();
}

void openHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(getHelpFile())));
}

QString getFavoritesFile(QString const &name)
{
    const QString fallback =
        QString::fromStdString(getQuorRoot()) + QStringLiteral("/etc/%1.xml").arg(name);
    return getQuorIni().value(QStringLiteral("NamingConfig/") + name, fallback).toString();
}

} // namespace util
