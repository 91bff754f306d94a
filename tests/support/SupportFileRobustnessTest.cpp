// Damaged files: every prefix of every sample and thousands of seeded random mutations must load
// (and write back) without a crash, a hang or a sanitizer finding.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>

using util::SupportFile;

namespace {

// Each case goes to a new file that is removed afterwards: truncating and rewriting one file
// makes ext4 flush it to disk on every close, which would dominate the run time.
int loadBytes(const QTemporaryDir &dir, const QByteArray &bytes, SupportFile &record,
              bool alsoChecked = false)
{
    static int count = 0;
    const QString path = dir.filePath(QString("case%1.sup").arg(++count));
    quortest::writeFile(path, bytes);
    const int level = record.loadFile(path.toStdString());
    if (alsoChecked) {
        // The checked load reads alike and names a line of the file, whatever it met.
        SupportFile checked;
        util::Failure failure;
        const SupportFile::ReadStatus status = checked.loadFileChecked(path.toStdString(), &failure);
        const QString error = failure.reason.isEmpty() ? QString() : failure.text();
        EXPECT_NE(status, SupportFile::ReadStatus::Unreadable);
        EXPECT_EQ(status == SupportFile::ReadStatus::Complete, error.isEmpty())
            << error.toStdString();
        EXPECT_TRUE(error.isEmpty() || error.startsWith(path + ": line ")) << error.toStdString();
        EXPECT_TRUE(quortest::sameFields(checked, record, {"photoDate", "imageDate"}));
    }
    QFile::remove(path);
    return level;
}

// "\0" stands for one NUL byte.
// clang-format off
const char *const interesting[] = {
    " ", "\n", "\r\n", "\t", "\"", "\"\"", "0", "-1", "1e999", "nan", "99999999999", ":",
    "\0", "\xff", "IMAGE_LEVEL", "IMAGE_LEVEL 1", "IMAGE_LEVEL 2", "IMAGE_LEVEL 0",
    "IMAGE_FILE_NAME", "LINES", "SAMPLES", "PHOTO_DATE", "IMAGE_DATE", "IMAGE_ID", "BASIS",
    "POLY20_LINE", "Jan", " 99999 ", "00:00:00", "-2147483648"};
// clang-format on

QByteArray mutate(QByteArray text, std::mt19937 &rng)
{
    const auto pick = [&rng](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
    for (int edits = 1 + pick(7); edits > 0; --edits) {
        const int at = pick(std::max(0, text.size() - 1));
        switch (pick(3)) {
        case 0: // flip a byte
            if (!text.isEmpty())
                text[at] = static_cast<char>(pick(255));
            break;
        case 1: { // an interesting token
            const char *token = interesting[pick(std::size(interesting) - 1)];
            text.insert(at, token, token[0] ? static_cast<int>(std::strlen(token)) : 1);
            break;
        }
        case 2: // delete a run
            text.remove(at, 1 + pick(40));
            break;
        case 3: // duplicate a run
            text.insert(at, text.mid(at, 1 + pick(200)));
            break;
        }
    }
    return text;
}

} // namespace

TEST(SupportFile, EveryPrefixAndThousandsOfMutationsOfTheSamplesLoadAndWriteBack)
{
    QTemporaryDir dir;
    std::vector<QByteArray> files;
    for (const QString &path : quortest::wellFormedSupportFiles())
        files.push_back(quortest::readFile(path));
    ASSERT_GE(files.size(), 6u);
    for (const QByteArray &bytes : files) {
        for (int cut = 0; cut <= bytes.size(); ++cut) {
            SupportFile r;
            const int level = loadBytes(dir, bytes.left(cut), r);
            ASSERT_TRUE(level >= 0 && level <= 2) << bytes.left(cut).toStdString();
        }
    }

    std::mt19937 rng(20110115);
    quortest::CaptureFd err(2); // "Unsupported image level" is expected now and then
    for (int i = 0; i < 3000; ++i) {
        SupportFile r;
        const int level = loadBytes(dir, mutate(files[i % files.size()], rng), r, true);
        // Whatever was read must write and read back again.
        const std::string out = dir.filePath(QString("out%1.sup").arg(i)).toStdString();
        if (level == 1 || level == 0)
            ASSERT_TRUE(r.exportL1SupportFile(out, true, i % 2 == 0)) << i;
        else
            ASSERT_TRUE(r.exportL2SupportFile(out)) << i;
        SupportFile again;
        again.loadFile(out);
        QFile::remove(QString::fromStdString(out));
    }
}
