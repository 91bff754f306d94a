// Every command that reads or writes a file meets the same kinds of failure and reports each in
// the one format: a single line "quorutil NAME: PATH: reason", exit code 1, nothing written.
// The real tool runs in a process of its own, so that Qt's own remarks would show on its
// standard error, and so that it can run as another user.

#include "tests/common/TestUtil.h"
#include "tests/files/FileTestUtil.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// What is in folder, and how large, recursively: what a failed run must leave unchanged.
QStringList contents(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        names << it.filePath() + " " + QString::number(it.fileInfo().size());
    }
    names.sort();
    return names;
}

struct Kind
{
    const char *name;
    bool output;
    const char *file; // made in the run's folder
    const char *reason; // after "PATH: "; a prefix when it ends in a blank
};

const Kind kinds[] = {
    {"missing", false, "missing.xml", "No such file or directory"},
    {"folder", false, "folder", "Is a directory"},
    {"big", false, "big.xml", "larger than "},
    {"device", false, "zero", "larger than 64 MiB"},
    {"unreadable", false, "secret.xml", "Permission denied"},
    {"xml", false, "broken.xml", "line 1, column 10: tag mismatch"},
    {"nodir", true, "nodir/out", "No such file or directory"},
    {"outfolder", true, "outdir", "Is a directory"},
};

// Makes what the kind needs at path; false when this run cannot (the kind is then skipped).
bool make(const Kind &kind, const QString &path)
{
    const std::string name = kind.name;
    if (name == "folder" || name == "outfolder")
        return QDir().mkpath(path);
    if (name == "big") {
        QFile file(path); // sparse: over every bound without filling the disk
        return file.open(QIODevice::WriteOnly) && file.resize(qint64(65) << 20);
    }
    if (name == "device") // the kernel's endless zeros, made here, never the system's own
        return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 5)) == 0;
    if (name == "unreadable") {
        quortest::writeFile(path, "<a/>");
        return ::geteuid() == 0 && ::chmod(QFile::encodeName(path).constData(), 0600) == 0;
    }
    if (name == "xml")
        quortest::writeFile(path, "<a><b></a>");
    return true;
}

} // namespace

TEST(FailureTable, EveryCommandReportsEveryKindInOneLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // uid 65534 must reach the files, to be refused by the file's own mode only.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("XDG_RUNTIME_DIR"); // Qt would remark on it: the remark must not be shown
    env.insert("HOME", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.path() + "/config");

    int runs = 0;
    int skipped = 0;
    for (const quortest::TableRow &row : quortest::tableRows("tool/failures.txt")) {
        const std::string &command = row[0];
        const QString args = QString::fromStdString(row[1]);
        const QStringList tried = QString::fromStdString(row[2]).split(' ', Qt::SkipEmptyParts);
        ASSERT_FALSE(tried.isEmpty()) << row.line;
        for (const QString &kindName : tried) {
            const Kind *kind = nullptr;
            for (const Kind &k : kinds)
                kind = kindName == k.name ? &k : kind;
            ASSERT_NE(kind, nullptr) << row.line << ": " << kindName.toStdString();
            ASSERT_EQ(args.contains(kind->output ? "{out}" : "{in}"), true) << row.line;

            const QString run = dir.filePath(QString("run%1").arg(runs + skipped));
            ASSERT_TRUE(QDir().mkpath(run));
            QFile::copy(quortest::dataPath("tonal/corrector_spline.xml"), run + "/curve.xml");
            QFile::copy(quortest::dataPath("support/golden_L2.sup"), run + "/sound.sup");
            quortest::writeFile(run + "/sound.tfw", "1\n0\n0\n-1\n100\n200\n");
            const QString path = run + "/" + kind->file;
            if (!make(*kind, path)) {
                ++skipped; // a device or another user needs root
                continue;
            }
            QStringList argv;
            for (QString word : args.split(' ', Qt::SkipEmptyParts)) {
                word.replace("{in}", path).replace("{out}", path).replace("{dir}", run);
                word.replace("{curve}", run + "/curve.xml").replace("{sup}", run + "/sound.sup");
                argv << word.replace("{tfw}", run + "/sound.tfw");
            }
            const QStringList before = contents(run);
            const filetest::Run r = std::string(kind->name) == "unreadable"
                ? filetest::runProcess(
                    "setpriv",
                    QStringList {"--reuid=65534", "--regid=65534", "--clear-groups", QUOR_TOOL}
                        + argv,
                    env)
                : filetest::runProcess(QUOR_TOOL, argv, env);
            ++runs;

            const std::string where = argv.join(' ').toStdString() + " [" + kind->name + "]";
            const std::string expected =
                "quorutil " + command + ": " + path.toStdString() + ": " + kind->reason;
            EXPECT_EQ(r.code, 1) << where << "\n" << r.err;
            EXPECT_EQ(r.out, "") << where;
            if (expected.back() == ' ')
                EXPECT_EQ(r.err.rfind(expected, 0), 0u) << where << "\n" << r.err;
            else
                EXPECT_EQ(r.err, expected + "\n") << where;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << where << "\n" << r.err;
            EXPECT_EQ(contents(run), before) << where;
        }
    }
    EXPECT_GT(runs, 60);
    std::cout << runs << " runs\n";
    if (skipped)
        std::cout << skipped << " runs skipped: a device node and uid 65534 need root\n";
}
