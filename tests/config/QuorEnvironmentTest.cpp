#include "util/config/QuorEnvironment.h"

#include "tests/common/TestUtil.h"
#include "tests/config/ProcessEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

using quortest::quorEnvironment;
using quortest::ScopedEnv;

namespace {

std::string canonical(const std::string &path)
{
    return QFileInfo(QString::fromStdString(path)).canonicalFilePath().toStdString();
}

std::string errorOf(void (*call)())
{
    try {
        call();
    } catch (const std::runtime_error &e) {
        return e.what();
    }
    return "(no error)";
}

// Runs the probe with the given steps in an environment of its own; returns its output lines.
QStringList probe(const QStringList &steps, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUOR_ENV_PROBE), steps);
    EXPECT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(QuorEnvironment, ModuleNameIsTheRunningExecutable)
{
    EXPECT_EQ(canonical(util::modulename()),
              QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath().toStdString());
    EXPECT_EQ(canonical(util::modulepath()),
              QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath().toStdString());
}

TEST(QuorEnvironment, ModuleNameIsWholeBeyondFiveHundredCharacters)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString folder = QFileInfo(dir.path()).canonicalFilePath();
    while (folder.size() < 600)
        folder += "/" + QString(60, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + "/quor_env_probe";
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUOR_ENV_PROBE), copy));

    QProcess process;
    process.start(copy, {"module"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), "module " + copy + "\n");
}

TEST(QuorEnvironment, ModulePathIsTheTextBeforeTheLastSlash)
{
    EXPECT_EQ(util::detail::modulepathOf("/opt/quor/bin/app"), "/opt/quor/bin");
    EXPECT_EQ(util::detail::modulepathOf("/app"), "");
    EXPECT_EQ(util::detail::modulepathOf("app"), "app");
}

TEST(QuorEnvironment, VectorLevelTakesTheHighestFeatureBit)
{
    struct Row
    {
        const char *name;
        unsigned int ecx;
        float level;
    } rows[] = {
        {"none", 0u, 2.0f},
        {"sse3", 1u << 0, 3.0f},
        {"sse3 without ssse3", (1u << 0) | (1u << 1), 3.0f},
        {"ssse3", (1u << 9) | (1u << 0), 3.1f},
        {"sse4.1 without sse4.2", (1u << 19) | (1u << 9) | 1u, 4.1f},
        {"sse4.2", (1u << 20) | (1u << 19) | (1u << 9) | 1u, 4.2f},
        {"sse4.2 alone", 1u << 20, 4.2f},
        {"unrelated bits", (1u << 28) | (1u << 25), 2.0f},
    };
    for (const Row &row : rows)
        EXPECT_EQ(util::detail::vectorOpLevelFromEcx(row.ecx), row.level) << row.name;
    // Every x86-64 processor this runs on has at least SSE3.
    EXPECT_GE(util::vectorOpLevel(), 3.0f);
}

TEST(QuorEnvironment, DevelopModeTurnsBackslashesAndKeepsTheTrailingOne)
{
    ScopedEnv develop("QUOR_DEVELOP", "C:\\quor\\dev tree\\");
    EXPECT_EQ(util::getQuorRoot(), "C:/quor/dev tree/");
}

TEST(QuorEnvironment, RootIsTheExecutablesDirectoryWithoutDevelopMode)
{
    ScopedEnv develop("QUOR_DEVELOP");
    const std::string root = util::getQuorRoot();
    EXPECT_NE(root.back(), '/');
    EXPECT_EQ(canonical(root),
              QFileInfo(QStringLiteral(QUOR_BUILD_ROOT_DIR)).canonicalFilePath().toStdString());
    // The build tree lays out the installation root beside the executables.
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(root + "/quor.ini")));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(root + "/etc/schemas/tonalcurve.xsd")));
}

TEST(QuorEnvironment, UnitTestDirNeedsItsVariable)
{
    {
        ScopedEnv base("QUOR_UTEST_BASEDIR", "D:\\data\\utest");
        EXPECT_EQ(util::getUnitTestDir(), "D:/data/utest");
    }
    ScopedEnv unset("QUOR_UTEST_BASEDIR");
    EXPECT_EQ(errorOf([] { util::getUnitTestDir(); }), "QUOR_UTEST_BASEDIR is not set.");
}

TEST(QuorEnvironment, HelpFileMatchesEitherPatternIgnoringCase)
{
    struct Row
    {
        const char *name;
        QStringList files;
        QStringList dirs;
        const char *found; // nullptr: none
    } rows[] = {
        {"versioned manual", {"QUOR-6.2-User-Manual.pdf"}, {}, "QUOR-6.2-User-Manual.pdf"},
        {"lower case", {"quor-6.2-user-manual.pdf"}, {}, "quor-6.2-user-manual.pdf"},
        {"upper-case extension", {"quor 6.2 manual.PDF"}, {}, "quor 6.2 manual.PDF"},
        {"viewer manual", {"QuorViewerManual.pdf"}, {}, "QuorViewerManual.pdf"},
        {"viewer manual any case",
         {"QUOR-Image-viewer-manual.pdf"},
         {},
         "QUOR-Image-viewer-manual.pdf"},
        {"viewer manual starts with Quor", {"MyQuorViewerManual.pdf"}, {}, nullptr},
        {"other version", {"Quor-6.1-User-Manual.pdf"}, {}, nullptr},
        {"hidden file", {".quor-6.2-manual.pdf"}, {}, nullptr},
        {"not a pdf", {"Quor-6.2-User-Manual.txt"}, {}, nullptr},
        {"directory is not a file", {}, {"Quor-6.2-Manual.pdf"}, nullptr},
        {"only in a subdirectory", {"doc/Quor-6.2-Manual.pdf"}, {"doc"}, nullptr},
        {"empty root", {}, {}, nullptr},
    };
    for (const Row &row : rows) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        for (const QString &dir : row.dirs)
            QDir(root.path()).mkpath(dir);
        for (const QString &file : row.files)
            quortest::writeFile(root.filePath(file), "%PDF-1.4\n");
        ScopedEnv develop("QUOR_DEVELOP", root.path().toUtf8());
        if (row.found) {
            EXPECT_EQ(util::getHelpFile(), (root.path() + "/" + row.found).toStdString())
                << row.name;
        } else {
            EXPECT_EQ(errorOf([] { util::getHelpFile(); }), "Can't find help file") << row.name;
            EXPECT_EQ(errorOf([] { util::openHelp(); }), "Can't find help file") << row.name;
        }
    }
}

TEST(QuorEnvironment, SettingsFileComesFromTheRootOrQuorIni)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    quortest::writeFile(root.filePath("quor.ini"), "[NamingConfig]\n");
    quortest::writeFile(root.filePath("other.ini"), "[NamingConfig]\n");

    const QStringList fromRoot = probe({"ini"}, quorEnvironment(root.path()));
    ASSERT_EQ(fromRoot.size(), 1);
    EXPECT_TRUE(fromRoot[0].endsWith(" " + root.filePath("quor.ini"))) << fromRoot[0].toStdString();

    const QStringList fromVariable =
        probe({"ini"}, quorEnvironment(root.path(), root.filePath("other.ini")));
    ASSERT_EQ(fromVariable.size(), 1);
    EXPECT_TRUE(fromVariable[0].endsWith(" " + root.filePath("other.ini")))
        << fromVariable[0].toStdString();

    // The path from QUOR_INI is used whole and made absolute.
    QProcessEnvironment relative = quorEnvironment(root.path(), "other.ini");
    QProcess process;
    process.setProcessEnvironment(relative);
    process.setWorkingDirectory(root.path());
    process.start(QStringLiteral(QUOR_ENV_PROBE), {"ini"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardOutput())
                    .trimmed()
                    .endsWith(" " + root.filePath("other.ini")));
}

TEST(QuorEnvironment, MissingSettingsFileNamesThePathTried)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    quortest::writeFile(root.filePath("quor.ini"), "[NamingConfig]\n");

    EXPECT_EQ(probe({"ini"}, quorEnvironment(root.path() + "/missing")),
              QStringList {"error Can't find quor.ini: " + root.path() + "/missing/quor.ini"});
    // QUOR_INI wins even over an existing root file, and is not converted or prefixed.
    EXPECT_EQ(probe({"ini"}, quorEnvironment(root.path(), "nowhere\\my.ini")),
              QStringList {"error Can't find quor.ini: nowhere\\my.ini"});
}

TEST(QuorEnvironment, SettingsObjectIsCreatedOnceAndRetriedAfterAFailure)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString ini = root.filePath("quor.ini");
    const QString other = root.filePath("other.ini");
    quortest::writeFile(other, "");

    const QStringList lines =
        probe({"ini", "touch:" + ini, "ini", "ini", "env:QUOR_INI=" + other, "ini"},
              quorEnvironment(root.path()));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "error Can't find quor.ini: " + ini);
    EXPECT_TRUE(lines[2].startsWith("ini ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(" " + ini));
    // Same object each time, and a later change of QUOR_INI does not move it.
    EXPECT_EQ(lines[3], lines[2]);
    EXPECT_EQ(lines[5], lines[2]);
}

TEST(QuorEnvironment, FavoritesFileComesFromNamingConfigOrDefaultsBelowTheRoot)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    quortest::writeFile(root.filePath("quor.ini"),
                        "[NamingConfig]\nZeduvidoFileNaming=D:/cfg/mine.xml\n");

    EXPECT_EQ(probe({"fav:ZeduvidoFileNaming", "fav:ZeduvidoSessionNaming"},
                    quorEnvironment(root.path())),
              (QStringList {"fav D:/cfg/mine.xml",
                            "fav " + root.path() + "/etc/ZeduvidoSessionNaming.xml"}));
    EXPECT_EQ(probe({"fav:ZeduvidoFileNaming"}, quorEnvironment(root.path() + "/absent")),
              QStringList {"error Can't find quor.ini: " + root.path() + "/absent/quor.ini"});
}
