// quorutil lut apply: its usage, its one-line failures, and a run ended by a signal.

#include "tests/common/TestUtil.h"
#include "tests/common/ToolRun.h"
#include "tests/imagery/ImageryTestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <unistd.h>

using namespace quortest;

namespace {

TEST(LutApply, UsageErrorsAndFailuresAreOneLine)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.tif");
    RasterShape shape;
    shape.bands = 2;
    makeRaster(in, shape, [](int, int x, int) { return unsigned(x); });
    const QString curve = dataPath("imagery/linear.xml");
    const QString bpf = dataPath("imagery/rgbn12.bpf");
    const QString out = dir.filePath("out.tif");
    struct Case
    {
        QStringList args;
        int code;
        std::string err; // the first line
    } cases[] = {
        // Bad values of the command table are rows of tool/values.txt.
        {{curve, in, "-o", out, "--bands", "RED,GRN"},
         2,
         "quorutil lut apply: --bands applies to break-point files; " + curve.toStdString()
             + " holds one curve for every band"},
        {{dir.filePath("none.xml"), in, "-o", out},
         1,
         "quorutil lut apply: " + dir.filePath("none.xml").toStdString()
             + ": No such file or directory"},
        {{curve, dir.filePath("none.tif"), "-o", out},
         1,
         "quorutil lut apply: " + dir.filePath("none.tif").toStdString()
             + ": No such file or directory"},
        {{bpf, in, "-o", out},
         1,
         "quorutil lut apply: " + in.toStdString()
             + ": bands 1 (Gray), 2 (Undefined) against curve bands BLU, GRN, NIR, RED: no "
               "curve for band 1, 2; name the bands with a band list"},
        {{curve, in, "-o", dir.path()},
         1,
         "quorutil lut apply: " + dir.path().toStdString() + ": Is a directory"},
        {{curve, in, "-o", out, "--of", "NoSuchDriver"},
         1,
         "quorutil lut apply: " + out.toStdString() + ": GDAL has no driver named NoSuchDriver"},
    };
    for (const Case &c : cases) {
        const ToolResult r = runTool(QStringList {"lut", "apply"} + c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err) << c.args.join(' ').toStdString();
        if (c.code == 1) {
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        }
    }
    EXPECT_EQ(filesIn(dir.path()), QStringList {"in.tif"});
    const ToolResult ok =
        runTool({"lut", "apply", bpf, in, "-o", out, "--bands", "nir,red", "--progress", "none"});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(ok.out, "");
    // RED (100 at 0, 2500 at 2000 of 4095) on band 2: 5 -> 106.
    EXPECT_EQ(readBand(out, 2)[5], 106);
}

// A medium that takes no more (here the file size limit) fails the write half-way: one line,
// exit 1, the old output whole and no temporary file.
TEST(LutApply, AFailedWriteKeepsTheOldOutput)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.tif");
    RasterShape shape;
    shape.width = shape.height = 512;
    shape.bands = 2;
    makeRaster(in, shape,
               [](int b, int x, int y) { return unsigned(x * 37 + y * 11 + b) % 65536; });
    const QString out = dir.filePath("out.tif");
    writeFile(out, "the old output");
    for (const char *threads : {"1", "2"}) {
        QProcess tool;
        tool.start("/bin/sh",
                   {"-c", "ulimit -f 256 && exec \"$0\" \"$@\"",
                    QStringLiteral(QUOR_BUILD_ROOT_DIR "/quorutil"), "lut", "apply",
                    dataPath("imagery/linear.xml"), in, "-o", out, "--threads", threads,
                    "--progress", "none"});
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), 1);
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_TRUE(err.startsWith("quorutil lut apply: " + out + ": ")) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_EQ(readFile(out), "the old output");
        EXPECT_EQ(filesIn(dir.path()), (QStringList {"in.tif", "out.tif"}));
    }
}

// The tool ended by a signal in the middle of writing: the old output is whole and no temporary
// file is left, whether the output was being written beside it or in the temporary folder.
TEST(LutApply, ASignalLeavesTheOldOutputAndNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.tif");
    RasterShape shape;
    shape.width = shape.height = 2048;
    shape.bands = 4;
    shape.creationOptions << "TILED=YES";
    makeRaster(in, shape,
               [](int b, int x, int y) { return unsigned(x * 37 + y * 11 + b * 1000) % 65536; });
    ASSERT_TRUE(QDir(dir.path()).mkdir("tmp"));
    const QString scratch = dir.filePath("tmp");

    struct Case
    {
        int signal;
        bool linked; // a second name makes the output go through the temporary folder
    } cases[] = {{SIGINT, false}, {SIGTERM, false}, {SIGHUP, false}, {SIGTERM, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(strsignal(c.signal) + std::string(c.linked ? ", linked output" : ""));
        const QString out = dir.filePath("out.tif");
        QFile::remove(out);
        QFile::remove(dir.filePath("second.tif"));
        writeFile(out, "the old output");
        if (c.linked) {
            ASSERT_EQ(::link(QFile::encodeName(out).constData(),
                             QFile::encodeName(dir.filePath("second.tif")).constData()),
                      0);
        }
        const QStringList before = filesIn(dir.path());

        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", scratch);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(QUOR_BUILD_ROOT_DIR "/quorutil"),
                   {"lut", "apply", dataPath("imagery/spline.xml"), in, "-o", out, "--co",
                    "COMPRESS=DEFLATE", "--co", "ZLEVEL=9", "--progress", "none"});
        ASSERT_TRUE(tool.waitForStarted());
        // Wait for the temporary file to appear, then for it to grow: GDAL is writing.
        const QString where = c.linked ? scratch : dir.path();
        QElapsedTimer timer;
        timer.start();
        QString temporary;
        while (timer.elapsed() < 60000 && tool.state() == QProcess::Running) {
            for (const QString &name : filesIn(where))
                if (name.contains(".new-") && QFileInfo(where + "/" + name).size() > 0)
                    temporary = name;
            if (!temporary.isEmpty())
                break;
            QThread::msleep(2);
        }
        ASSERT_FALSE(temporary.isEmpty())
            << "the tool ended before it wrote: " << tool.readAllStandardError().toStdString();
        ::kill(pid_t(tool.processId()), c.signal);
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(readFile(out), "the old output");
        EXPECT_EQ(filesIn(dir.path()), before);
        EXPECT_EQ(filesIn(scratch), QStringList());
    }
}

} // namespace
