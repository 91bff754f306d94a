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

std::vector<QByteArray> sampleFiles()
{
    std::vector<QByteArray> files;
    for (const QString &path : quortest::wellFormedSupportFiles())
        files.push_back(quortest::readFile(path));
    return files;
}

// Each case goes to a new file that is removed afterwards: truncating and rewriting one file
// makes ext4 flush it to disk on every close, which would dominate the run time.
class Scratch
{
public:
    explicit Scratch(const QTemporaryDir &dir)
        : m_dir(dir)
    {
    }

    int load(const char *data, int size, SupportFile &record)
    {
        const QString path = m_dir.filePath(QString("case%1.sup").arg(++m_count));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(data, size) != size)
            ADD_FAILURE() << "cannot write " << path.toStdString();
        f.close();
        const int level = record.loadFile(path.toStdString());
        f.remove();
        return level;
    }

    std::string out() { return m_dir.filePath(QString("out%1.sup").arg(++m_count)).toStdString(); }

private:
    const QTemporaryDir &m_dir;
    int m_count = 0;
};

const char *const interesting[] = {" ",
                                   "\n",
                                   "\r\n",
                                   "\t",
                                   "\"",
                                   "\"\"",
                                   "0",
                                   "-1",
                                   "1e999",
                                   "nan",
                                   "99999999999",
                                   ":",
                                   "\0",
                                   "\xff",
                                   "IMAGE_LEVEL",
                                   "IMAGE_LEVEL 1",
                                   "IMAGE_LEVEL 2",
                                   "IMAGE_LEVEL 0",
                                   "IMAGE_FILE_NAME",
                                   "LINES",
                                   "SAMPLES",
                                   "PHOTO_DATE",
                                   "IMAGE_DATE",
                                   "IMAGE_ID",
                                   "BASIS",
                                   "POLY20_LINE",
                                   "Jan",
                                   " 99999 ",
                                   "00:00:00",
                                   "-2147483648"};

QByteArray mutate(QByteArray text, std::mt19937 &rng)
{
    std::uniform_int_distribution<int> edits(1, 8);
    const int count = edits(rng);
    for (int i = 0; i < count; ++i) {
        const int size = text.size();
        const int at = size > 0 ? std::uniform_int_distribution<int>(0, size - 1)(rng) : 0;
        switch (std::uniform_int_distribution<int>(0, 5)(rng)) {
        case 0: // flip a byte
            if (size > 0)
                text[at] = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
            break;
        case 1: { // insert an interesting token
            const char *token = interesting[std::uniform_int_distribution<std::size_t>(
                0, std::size(interesting) - 1)(rng)];
            text.insert(at, token, token[0] ? static_cast<int>(std::strlen(token)) : 1);
            break;
        }
        case 2: // delete a run
            text.remove(at, std::uniform_int_distribution<int>(1, 40)(rng));
            break;
        case 3: // duplicate a run
            text.insert(at, text.mid(at, std::uniform_int_distribution<int>(1, 200)(rng)));
            break;
        case 4: // cut
            text.truncate(at);
            break;
        case 5: { // replace a newline by a blank, or a blank by a newline
            const int nl = text.indexOf('\n', at);
            if (nl >= 0)
                text[nl] = ' ';
            else if (size > 0)
                text[at] = '\n';
            break;
        }
        }
    }
    return text;
}

} // namespace

TEST(SupportFile, EveryPrefixOfEverySampleLoads)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    Scratch scratch(dir);
    const std::vector<QByteArray> files = sampleFiles();
    ASSERT_GE(files.size(), 6u);
    for (const QByteArray &file : files) {
        for (int cut = 0; cut <= file.size(); ++cut) {
            SupportFile r;
            const int level = scratch.load(file.constData(), cut, r);
            ASSERT_TRUE(level >= 0 && level <= 2) << "cut at " << cut;
        }
    }
}

TEST(SupportFile, RandomMutationsLoadAndWriteBack)
{
    const quortest::ScopedTimeZone tz(quortest::goldenTimeZone);
    QTemporaryDir dir;
    Scratch scratch(dir);
    const std::vector<QByteArray> files = sampleFiles();
    std::mt19937 rng(20110115);
    quortest::CaptureFd err(2); // "Unsupported image level" is expected now and then
    for (int i = 0; i < 3000; ++i) {
        const QByteArray &source = files[i % files.size()];
        const QByteArray text = mutate(source, rng);
        SupportFile r;
        const int level = scratch.load(text.constData(), text.size(), r);
        // Whatever was read must write and read back again.
        const std::string out = scratch.out();
        if (level == 1 || level == 0)
            ASSERT_TRUE(r.exportL1SupportFile(out, true, i % 2 == 0)) << i;
        else
            ASSERT_TRUE(r.exportL2SupportFile(out)) << i;
        SupportFile again;
        again.loadFile(out);
        QFile::remove(QString::fromStdString(out));
    }
}
