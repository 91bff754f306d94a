#include "util/config/QuorEnvironment.h"

#include "tests/common/TestUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegExp>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <stdexcept>

using quortest::ScopedEnv;
using testing::ThrowsMessage;

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
    EXPECT_EQ(util::getQuorRoot(), qApp->applicationDirPath().toStdString());
    EXPECT_EQ(util::modulepath(), util::getQuorRoot());
    EXPECT_EQ(util::detail::modulepathOf("/app") + util::detail::modulepathOf("app"), "app");
    EXPECT_THAT(util::getUnitTestDir,
                ThrowsMessage<std::runtime_error>("QUOR_UTEST_BASEDIR is not set."));
    ScopedEnv set("QUOR_DEVELOP", "C:\\quor\\dev tree\\"), setBase("QUOR_UTEST_BASEDIR", "D:\\u");
    EXPECT_EQ(util::getQuorRoot(), "C:/quor/dev tree/");
    EXPECT_EQ(util::getUnitTestDir(), "D:/u");
    // ECX of cpuid leaf 1: bits 0 SSE3, 9 SSSE3, 19 SSE4.1, 20 SSE4.2; the others do not count.
    const std::pair<unsigned int, float> levels[] = {
        {0, 2.0f}, {0x3, 3.0f}, {0x201, 3.1f}, {0x80201, 4.1f}, {0x100000, 4.2f}, {1u << 28, 2.0f}};
    for (const auto &[ecx, level] : levels)
        EXPECT_EQ(util::detail::vectorOpLevelFromEcx(ecx), level) << std::hex << ecx;
    EXPECT_GE(util::vectorOpLevel(), 3.0f); // every x86-64 processor this runs on has SSE3
}

// The probe looks at the settings object in processes of its own.
TEST(QuorEnvironment, SettingsObjectIsCreatedOnceAndRetriedAfterAFailure)
{
    QTemporaryDir root;
    const QString ini = root.filePath("quor.ini"), other = root.filePath("other.ini");
    quortest::writeFile(other, "");
    ScopedEnv develop("QUOR_DEVELOP", root.path().toUtf8()), unset("QUOR_INI");
    // A later QUOR_INI does not move the object once created.
    const QStringList lines =
        run(QUOR_ENV_PROBE, {"ini", "touch:" + ini, "ini", "ini", "env:QUOR_INI=" + other, "ini"});
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "error Can't find quor.ini: " + ini);
    EXPECT_EQ(lines[1].section(' ', 2), ini);
    EXPECT_EQ(lines[2], lines[1]);
    EXPECT_EQ(lines[3], lines[1]);
    // QUOR_INI wins over the root's file and is used whole, never converted.
    ScopedEnv named("QUOR_INI", other.toUtf8());
    EXPECT_EQ(run(QUOR_ENV_PROBE, {"ini"}).value(0).section(' ', 2), other);
    ScopedEnv missing("QUOR_INI", "nowhere\\my.ini");
    EXPECT_EQ(run(QUOR_ENV_PROBE, {"ini"}).value(0), "error Can't find quor.ini: nowhere\\my.ini");
}

// The real tool, copied to a folder whose name is longer than any fixed buffer, with a manual
// that matches only ignoring case and others that do not match at all.
TEST(EnvCommands, EnvReportsTheInstallation)
{
    ScopedEnv develop("QUOR_DEVELOP"), ini("QUOR_INI");
    QTemporaryDir root;
    QString bin = root.path();
    while (bin.size() < 600)
        bin += "/" + QString(60, 'd');
    ASSERT_TRUE(QDir().mkpath(bin + "/Quor-6.2-Manual.pdf") && QDir().mkpath(bin + "/doc"));
    ASSERT_TRUE(QFile::copy(QUOR_TOOL, bin + "/quorutil"));
    for (const char *manual : {"/doc/Quor-6.2-Manual.pdf", "/Quor-6.1-Manual.pdf",
                               "/MyQuorViewerManual.pdf", "/.quor-6.2-manual.pdf"})
        quortest::writeFile(bin + manual, "%PDF");
    const QString none = "none (Can't find quor.ini: " + bin + "/quor.ini)";
    QStringList lines = run(bin + "/quorutil", {"env"});
    EXPECT_EQ(lines,
              (QStringList {"Installation root: " + bin, "Settings file: " + none,
                            "Help file: none (Can't find help file)",
                            "Naming configuration ZeduvidoFileNaming: " + none,
                            "Naming configuration ZeduvidoSessionNaming: " + none, lines.value(5),
                            "exit 1"}));
    quortest::writeFile(bin + "/quor.ini", "[NamingConfig]\nZeduvidoSessionNaming=/srv/s.xml\n");
    quortest::writeFile(bin + "/quor 6.2 manual.PDF", "%PDF");
    lines = run(bin + "/quorutil", {"env"});
    EXPECT_EQ(
        lines.mid(1),
        (QStringList {
            "Settings file: " + bin + "/quor.ini", "Help file: " + bin + "/quor 6.2 manual.PDF",
            "Naming configuration ZeduvidoFileNaming: " + bin + "/etc/ZeduvidoFileNaming.xml",
            "Naming configuration ZeduvidoSessionNaming: /srv/s.xml", lines.value(5), "exit 0"}));
    EXPECT_TRUE(QRegExp("Vector instruction level: (2\\.0|3\\.0|3\\.1|4\\.1|4\\.2)")
                    .exactMatch(lines.value(5)));
}
