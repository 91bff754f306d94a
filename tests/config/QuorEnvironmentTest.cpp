#include "util/config/QuorEnvironment.h"
#ifdef QUOR_TEST_SEAMS
#include "util/config/QuorEnvironment_p.h"
#endif

#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegExp>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <stdexcept>

using quortest::ScopedEnv;

namespace {

// The output lines of a fresh process, which inherits this one's environment, and its exit code.
QStringList run(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)
        << QString("exit %1").arg(process.exitCode());
}

} // namespace

TEST(QuorEnvironment, FollowsTheExecutableAndTheVariables)
{
    ScopedEnv develop("QUOR_DEVELOP"), base("QUOR_UTEST_BASEDIR");
    EXPECT_EQ(util::modulename(), qApp->applicationFilePath().toStdString());
    EXPECT_EQ(util::getQuorRoot(), util::modulepath());
    EXPECT_EQ(util::modulepath(), qApp->applicationDirPath().toStdString());
    EXPECT_THAT(util::getUnitTestDir,
                testing::ThrowsMessage<std::runtime_error>("QUOR_UTEST_BASEDIR is not set."));
    // A root named by the program stands in for the executable's folder, not for the variable.
    util::setQuorRoot("D:\\suite\\root");
    EXPECT_EQ(util::getQuorRoot(), "D:/suite/root");
    ScopedEnv set("QUOR_DEVELOP", "C:\\quor\\dev tree\\"), setBase("QUOR_UTEST_BASEDIR", "D:\\u");
    EXPECT_EQ(util::getQuorRoot(), "C:/quor/dev tree/");
    util::setQuorRoot("");
    EXPECT_EQ(util::getUnitTestDir(), "D:/u");
    QTemporaryDir root; // the manual's name matches ignoring case
    quortest::writeFile(root.filePath("quor 6.2 manual.PDF"), "%PDF");
    ScopedEnv manual("QUOR_DEVELOP", root.path().toUtf8());
    EXPECT_EQ(util::getHelpFile(), root.filePath("quor 6.2 manual.PDF").toStdString());
#ifdef QUOR_TEST_SEAMS
    EXPECT_EQ(util::testseam::vectorOpLevelFromEcx(0x180201), 4.2f); // SSE4.2 decides first
    EXPECT_EQ(util::testseam::modulepathOf("quorutil"), "quorutil");
#endif
    EXPECT_GE(util::vectorOpLevel(), 3.0f); // every x86-64 processor this runs on has SSE3
}

#ifdef QUOR_TEST_SEAMS
// Each instruction-set bit alone, and together with the lower ones, gives its level.
TEST(QuorEnvironment, VectorLevelsFollowTheProcessorBits)
{
    for (const quortest::TableRow &row : quortest::tableRows("config/vector_levels.txt")) {
        const uint ecx = std::stoul(row[0], nullptr, 16);
        EXPECT_EQ(util::testseam::vectorOpLevelFromEcx(ecx),
                  QString::fromStdString(row[1]).toFloat())
            << row.line;
    }
}
#endif

// The probe looks at the settings object in processes of its own.
TEST(QuorEnvironment, SettingsObjectIsCreatedOnceAndRetriedAfterAFailure)
{
    QTemporaryDir root;
    const QString ini = root.filePath("quor.ini");
    ScopedEnv develop("QUOR_DEVELOP", root.path().toUtf8()), unset("QUOR_INI");
    const QStringList lines = run(QUOR_ENV_PROBE, {"ini", "touch:" + ini, "ini", "ini"});
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "error Can't find quor.ini: " + ini);
    EXPECT_EQ(lines[1].section(' ', 2), ini);
    EXPECT_EQ(lines[2], lines[1]);
    // QUOR_INI wins over the root's file and is used whole, never converted.
    ScopedEnv missing("QUOR_INI", "nowhere\\my.ini");
    EXPECT_EQ(run(QUOR_ENV_PROBE, {"ini"}).value(0), "error Can't find quor.ini: nowhere\\my.ini");
}

// The real tool, copied to a folder whose name is longer than any fixed buffer.
TEST(EnvCommands, EnvReportsTheInstallation)
{
    ScopedEnv develop("QUOR_DEVELOP"), ini("QUOR_INI");
    QTemporaryDir root;
    QString bin = root.path();
    while (bin.size() < 600)
        bin += "/" + QString(60, 'd');
    ASSERT_TRUE(QDir().mkpath(bin + "/Quor-6.2-Manual.pdf")); // a folder is not the manual
    ASSERT_TRUE(QFile::copy(QUOR_TOOL, bin + "/quorutil"));
    quortest::writeFile(bin + "/quor.ini", "[NamingConfig]\nZeduvidoSessionNaming=/srv/s.xml\n");
    const QStringList lines = run(bin + "/quorutil", {"env"});
    EXPECT_EQ(
        lines,
        (QStringList {
            "Installation root: " + bin + " (the executable's folder; QUOR_DEVELOP not set)",
            "Settings file: " + bin + "/quor.ini (in the installation root; QUOR_INI not set)",
            "Help file: none (Can't find help file)",
            "Naming configuration ZeduvidoFileNaming: " + bin + "/etc/ZeduvidoFileNaming.xml",
            "Naming configuration ZeduvidoSessionNaming: /srv/s.xml", lines.value(5), "exit 0"}));
    EXPECT_TRUE(QRegExp("Vector instruction level: (2\\.0|3\\.0|3\\.1|4\\.1|4\\.2)")
                    .exactMatch(lines.value(5)));

    // Each variable in effect is named where it acts.
    const QString other = root.filePath("other.ini");
    quortest::writeFile(other, "[NamingConfig]\n");
    ScopedEnv setDevelop("QUOR_DEVELOP", root.path().toUtf8()), setIni("QUOR_INI", other.toUtf8());
    const QStringList moved = run(bin + "/quorutil", {"env"});
    EXPECT_EQ(moved.mid(0, 2),
              (QStringList {"Installation root: " + root.path() + " (from QUOR_DEVELOP)",
                            "Settings file: " + other + " (from QUOR_INI)"}));
    ScopedEnv missingIni("QUOR_INI", root.filePath("none.ini").toUtf8());
    EXPECT_EQ(run(bin + "/quorutil", {"env"}).value(1),
              "Settings file: none (Can't find quor.ini: " + root.filePath("none.ini")
                  + ") (from QUOR_INI)");
}
