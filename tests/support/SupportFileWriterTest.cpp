// Writing level-1 and level-2 support files: the layout byte for byte, round trips, the
// conditional sections, replacing files, and independence from the process locale.

#include "tests/common/TestUtil.h"
#include "tests/support/SupportTestUtil.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <limits>
#include <locale>

#include <sys/resource.h>

using quortest::readFile;
using quortest::writeText;
using util::SupportFile;

namespace {

std::string exportTo(SupportFile &r, const QTemporaryDir &dir, int level)
{
    const std::string path = dir.filePath("out.sup").toStdString();
    EXPECT_TRUE(level == 1 ? r.exportL1SupportFile(path, true, false)
                           : r.exportL2SupportFile(path));
    return path;
}

std::string fileText(const std::string &path)
{
    return readFile(QString::fromStdString(path)).toStdString();
}

bool hasLine(const std::string &text, const std::string &line)
{
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// Makes writes that would grow a file beyond limit bytes fail (EFBIG), as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r {limit, m_saved.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &r), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved;
    void (*m_handler)(int);
};

} // namespace

TEST(SupportFile, WritesTheGoldenFilesAndReadsBackEveryField)
{
    QTemporaryDir dir;
    // The grid variant: references and cell size instead of the polynomials, a transverse
    // Mercator section in sci16 and a bare GRID_NAME line.
    SupportFile grid = quortest::goldenL2Record();
    grid.setCellSize(0.25);
    grid.setEllipsoidCenter(1.5, -2.25, 0);
    grid.setProjectionType("TRANSVERSE_MERCATOR_PROJECTION");
    grid.setTMProjectionParams(-0.5, 0.15625, 0.9996);
    SupportFile conic = quortest::goldenL2Record();
    conic.setProjectionType("LAMBERT_CONFORMAL_PROJECTION");
    conic.setLCCProjectionParams(0.7, 0.8, 0.75, 0.15);
    struct Row
    {
        const char *golden;
        SupportFile record;
        std::set<std::string> notWritten;
    };
    Row rows[] = {
        {"golden_L1.sup", quortest::goldenL1Record(), {}},
        {"golden_L2.sup", quortest::goldenL2Record(), {}},
        {"golden_L2_grid_tm.sup",
         grid,
         {"latScale", "lonScale", "heightRef", "heightScale", "lineRef", "lineScale", "sampleRef",
          "sampleScale", "poly20Line", "poly20Sample", "gridName", "projectionZone"}},
        {"", conic, {"projectionZone"}},
    };
    const quortest::FieldList fresh = quortest::supportFileFields(SupportFile());
    for (Row &row : rows) {
        SCOPED_TRACE(row.golden);
        const int level = row.golden == std::string("golden_L1.sup") ? 1 : 2;
        const std::string path = exportTo(row.record, dir, level);
        const std::string text = fileText(path);
        if (*row.golden) {
            EXPECT_EQ(text,
                      fileText(quortest::dataPath(QString("support/") + row.golden).toStdString()));
        }
        EXPECT_EQ(text,
                  level == 1 ? row.record.formatL1SupportFile(path, true, false)
                             : row.record.formatL2SupportFile());

        // A level-2 file carries no image date; both records hold "now" there. What is not
        // written keeps the value of a new record.
        const SupportFile read(path);
        std::set<std::string> except = row.notWritten;
        except.insert({"l0ImageName", level == 2 ? "imageDate" : ""});
        EXPECT_TRUE(quortest::sameFields(read, row.record, except));
        const quortest::FieldList got = quortest::supportFileFields(read);
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(row.notWritten.count(got[i].first) == 0 || got[i] == fresh[i])
                << got[i].first;
    }
}

TEST(SupportFile, WritesNumbersAsTheCFormatsDo)
{
    const double inf = std::numeric_limits<double>::infinity();
    SupportFile r;
    r.setGroundBias(1e100, 1e-300, -2.5e-5); // three-digit exponents
    r.setProjectionOriginOffset(1e-7, 0, 0, 0);
    r.setBias(1e20);
    r.setGain(inf);
    r.setGroundZero(-inf, 1, 2);
    r.setElevationRange(-0.04, 0); // negative zero after rounding
    r.setRectOffset(-1e-9, 1);
    const std::string text =
        r.formatL1SupportFile("/tmp/x.sup", true, false) + r.formatL2SupportFile();
    for (const char *line :
         {"GRND_BIAS 1.00000000000000e+100 1.00000000000000e-300 -2.50000000000000e-05",
          "FALSE_NORTHING_POS 9.9999999999999995e-08", "BIAS 100000000000000000000.000000 GAIN inf",
          "GROUND_ZERO -inf 1.00000000000000e+00 2.00000000000000e+00",
          "MAX_AND_MIN_ELEVATION -0.0   0.0", "RECT_XOFFSET   -0.00000000"})
        EXPECT_TRUE(hasLine(text, line)) << line;
}

TEST(SupportFile, NewRecordWritesDefaultsAndLeavesOutEmptyParts)
{
    SupportFile r;
    r.setProjectionType("utm_projection"); // only the exact types have a section
    const std::string text = r.formatL1SupportFile("/tmp/x.sup", true, false);
    EXPECT_TRUE(hasLine(text, "RECT_YOFFSET   -1.00000000")) << "the file counts from 0";
    for (const char *label :
         {"IMAGE_FILE_NAME", "LINES", "SAMPLES", "ORIGINAL_ORIENTATION", "ADJUSTED_ORIENTATION",
          "ORIGINAL_CALIBRATION", "ADJUSTED_CALIBRATION", "LEVEL_0_NAME"})
        EXPECT_EQ(("\n" + text).find(std::string("\n") + label), std::string::npos) << label;
    EXPECT_NE(r.formatL2SupportFile().find("\nPROJECTION_TYPE utm_projection\nFALSE_NORTHING_POS "),
              std::string::npos);

    r.setL0ImageName("/data/l0.vyn");
    EXPECT_EQ(r.formatL1SupportFile("/tmp/x.sup", false, false).find("LEVEL_0_NAME"),
              std::string::npos);
    EXPECT_TRUE(
        hasLine(r.formatL1SupportFile("/tmp/x.sup", true, false), "LEVEL_0_NAME   /data/l0.vyn"));
}

TEST(SupportFile, WritesImageNamesRelativeToTheOutputFolderOnRequest)
{
    QTemporaryDir dir;
    // Canonical, as the current folder is, for the relative output path below.
    const std::string base = QDir(dir.path()).canonicalPath().toStdString();
    const std::pair<std::string, std::string> rows[] = {
        {base + "/out/a.tif", "a.tif"},
        {base + "/other/c.tif", "../other/c.tif"},
        {"rel/./x/../d.tif", "rel/d.tif"},
        {base + "/out/caf\xe9.tif", "caf\xe9.tif"}, // not UTF-8: every byte stays
    };
    std::string seed;
    for (const auto &row : rows)
        seed += "IMAGE_FILE_NAME 1 \"" + row.first + "\"\nLINES 1\nSAMPLES 1\n";
    SupportFile r;
    r.loadFile(writeText(dir, "seed.sup", seed));
    ASSERT_TRUE(QDir(dir.path()).mkpath("out"));

    const std::string relative = r.formatL1SupportFile(base + "/out/x_L1.sup", true, true);
    {
        const quortest::InFolder inBase(QString::fromStdString(base));
        EXPECT_EQ(r.formatL1SupportFile("out/x_L1.sup", true, true), relative)
            << "a relative output path starts from the current folder";
    }
    for (const auto &[name, relativeName] : rows)
        EXPECT_TRUE(hasLine(relative, "IMAGE_FILE_NAME 1 \"" + relativeName + "\"")) << name;
}

TEST(SupportFile, ExportReplacesTheFileOnlyWhenWholeKeepingPermissionsAndLinks)
{
    QTemporaryDir dir;
    SupportFile r;
    EXPECT_FALSE(r.exportL1SupportFile(dir.filePath("missing/out.sup").toStdString(), true, false));
    EXPECT_EQ(r.getImageLevel(), 1) << "the level is set even so";

    const std::string old(10000, 'x'); // longer than what replaces it
    const std::string path = writeText(dir, "out.sup", old);
    const QString link = dir.filePath("link.sup");
    ASSERT_TRUE(QFile::link(QString::fromStdString(path), link));
    QFile::setPermissions(link, QFile::ReadOwner | QFile::WriteOwner);
    const QFile::Permissions permissions = QFile::permissions(link);
    bool l1 = true, l2 = true;
    {
        // Room for the opening lines only: the text is written out when the file is flushed.
        const FileSizeLimit limit(100);
        l1 = r.exportL1SupportFile(path, true, false);
        l2 = r.exportL2SupportFile(path);
    }
    EXPECT_FALSE(l1);
    EXPECT_FALSE(l2);
    EXPECT_EQ(fileText(path), old);

    EXPECT_TRUE(r.exportL1SupportFile(link.toStdString(), true, false));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileText(path), r.formatL1SupportFile(link.toStdString(), true, false));
    EXPECT_EQ(QFile::permissions(link), permissions);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList {"link.sup", "out.sup"}));
}

TEST(SupportFile, WritesDatesCtimeCanFormatAndEmptyOnesOtherwise)
{
    QTemporaryDir dir;
    SupportFile r;
    r.loadFile(writeText(dir, "seed.sup", "IMAGE_LEVEL 1\nIMAGE_DATE Sat Jan 15 12:34:58 20000\n"));
    ASSERT_GT(r.getImageDate(), quortest::utcSeconds(9999, 12, 31, 23, 59, 59));
    const std::int64_t old = quortest::utcSeconds(1811, 1, 23, 15, 6, 40);
    const std::pair<std::int64_t, const char *> rows[] = {
        {old, "PHOTO_DATE \"Wed Jan 23 16:06:40 1811\""},
        {std::numeric_limits<std::int64_t>::max(), "PHOTO_DATE \"\""},
        {std::numeric_limits<std::int64_t>::min(), "PHOTO_DATE \"\""},
        {quortest::utcSeconds(10000, 1, 1, 0, 0, 0), "PHOTO_DATE \"\""},
    };
    for (const auto &[photo, line] : rows) {
        r.setPhotoDate(photo);
        const std::string path = exportTo(r, dir, 1);
        const std::string text = fileText(path);
        EXPECT_TRUE(hasLine(text, line)) << photo;
        EXPECT_TRUE(hasLine(text, "IMAGE_DATE   ")) << photo;
        EXPECT_TRUE(hasLine(text, "NUMBER_SCAN_LINES   0")) << photo;

        // Reading an empty date leaves the field alone.
        SupportFile read;
        read.setPhotoDate(7);
        read.loadFile(path);
        EXPECT_EQ(read.getPhotoDate(), photo == old ? old : 7);
        EXPECT_NE(read.getImageDate(), r.getImageDate());
    }
}

// The test process runs under de_DE.UTF-8 for the C library and the global C++ locale, as a Qt
// application does after setlocale(LC_ALL, "").
TEST(SupportFile, WritesAndReadsTheSameUnderAnyLocale)
{
    QTemporaryDir dir;
    SupportFile r = quortest::goldenL1Record();
    r.setNumberScanLines(1234567);
    r.setCellSize(1234.5);
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    const std::locale savedCpp;
    std::setlocale(LC_ALL, "C");
    std::locale::global(std::locale::classic());
    // In this order, so that out.sup ends as the level-1 file, which holds the image date (the
    // operands of + may be evaluated either way round).
    std::string underC = fileText(exportTo(r, dir, 2));
    underC += fileText(exportTo(r, dir, 1));
    const SupportFile readC(dir.filePath("out.sup").toStdString());
    std::setlocale(LC_ALL, savedC.c_str());
    std::locale::global(savedCpp);
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");

    std::string underHost = fileText(exportTo(r, dir, 2));
    underHost += fileText(exportTo(r, dir, 1));
    EXPECT_EQ(underHost, underC);
    EXPECT_TRUE(hasLine(underHost, "NUMBER_SCAN_LINES   1234567"));
    EXPECT_TRUE(quortest::sameFields(SupportFile(dir.filePath("out.sup").toStdString()), readC));
}
