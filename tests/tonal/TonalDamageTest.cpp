// Damaged curve and break-point files: every byte replaced, files cut short, numbers swapped for
// hostile ones. Reading and converting either works or throws; nothing crashes (the sanitizer
// build turns undefined behaviour into a failure).

#include "util/tonal/BpfConverter.h"
#include "util/tonal/TonalCurveConverter.h"
#include "util/tonal/TonalCurveFile.h"

#include "tests/common/ToolRun.h"
#include "tests/tonal/TonalTestUtil.h"

#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Reads file both ways and converts what it gets; returns how many tables were built.
int exercise(const QString &file)
{
    int tables = 0;
    util::TonalCurve curve;
    if (util::readTonalCurveFile(file, curve)) {
        util::TonalCurveConverter converter;
        for (const int n : {2, 33}) {
            try {
                converter.getLUT(curve, n);
                ++tables;
            } catch (const std::runtime_error &) {
            }
        }
    }
    try {
        const util::BpfConverter bpf(file);
        for (const QString &band : bpf.getBands()) {
            util::TonalCurveConverter converter;
            try {
                converter.getLUT(bpf.getCurve(band), 257);
                ++tables;
            } catch (const std::runtime_error &) {
            }
        }
    } catch (const std::runtime_error &) {
    }
    return tables;
}

std::vector<QByteArray> mutants(const QByteArray &seed)
{
    std::vector<QByteArray> out;
    const char replacements[] = {'<', '"', '0', '-', 'x', '\0', char(0xff)};
    // each position cut, removed and replaced
    for (int i = 0; i < seed.size(); ++i) {
        out.push_back(seed.left(i));
        out.push_back(QByteArray(seed).remove(i, 1));
        QByteArray replaced = seed;
        replaced[i] = replacements[i % int(sizeof replacements)];
        out.push_back(replaced);
    }
    // every number, in turn, replaced by each hostile one
    const QStringList hostile = {"1e308", "-1e308", "nan", "inf", "-inf", "1e-320", "2147483648",
                                 "-2147483648", "99999999999999999999", "0", "-0", "0x10", ""};
    const QString text = QString::fromUtf8(seed);
    QRegularExpressionMatchIterator it =
        QRegularExpression("-?[0-9]+(\\.[0-9]+)?([eE]-?[0-9]+)?").globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        for (const QString &h : hostile)
            out.push_back(QString(text).replace(m.capturedStart(), m.capturedLength(), h).toUtf8());
    }
    return out;
}

// Each mutant goes to a new file: rewriting one file in place makes the file system flush it on
// every close, which costs milliseconds each.
QString writeMutant(const QTemporaryDir &dir, const QByteArray &bytes)
{
    static int serial = 0;
    const QString file = dir.filePath(QStringLiteral("mutant%1.xml").arg(++serial));
    quortest::writeFile(file, bytes);
    return file;
}

} // namespace

TEST(TonalDamage, MutatedFilesNeverCrash)
{
    QTemporaryDir dir;
    for (const char *seed : {"tonal/corrector_spline.xml", "tonal/corrector_gamma.xml",
                             "tonal/bpf_bands.xml"}) {
        const QByteArray original = quortest::readFile(quortest::dataPath(seed));
        EXPECT_GT(exercise(quortest::dataPath(seed)), 0) << seed << " itself must convert";
        int count = 0;
        for (const QByteArray &mutant : mutants(original)) {
            const QString file = writeMutant(dir, mutant);
            exercise(file);
            QFile::remove(file);
            ++count;
        }
        EXPECT_GT(count, 500) << seed;
    }
}

// The tool on a sample of the same mutants: exit 0 or one line and exit 1, never more.
TEST(TonalDamage, ToolAnswersDamagedFilesWithOneLine)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("mutant.png");
    for (const char *seed : {"tonal/corrector_spline.xml", "tonal/bpf_bands.xml"}) {
        const std::vector<QByteArray> all = mutants(quortest::readFile(quortest::dataPath(seed)));
        for (std::size_t i = 0; i < all.size(); i += 23) {
            const QString file = writeMutant(dir, all[i]);
            for (const QStringList &extra :
                 {QStringList{"--stats", "--samples", "64"},
                  QStringList{"--plot", png, "--width", "120", "--height", "90", "--band", "RED"}}) {
                const auto r = quortest::runTool(QStringList{"lut", file} + extra);
                if (r.code == 2)
                    continue; // several bands and no --band is a usage error
                EXPECT_TRUE(r.code == 0 || (r.code == 1 && std::count(r.err.begin(), r.err.end(), '\n') == 1))
                    << seed << " mutant " << i << ": " << r.code << " " << r.err;
            }
        }
    }
}
