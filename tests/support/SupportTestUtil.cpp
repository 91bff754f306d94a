#include "tests/support/SupportTestUtil.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <type_traits>

namespace quortest {

namespace {

// Every test of the suite runs in the time zone of the golden files.
const bool timeZonePinned = [] {
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    return true;
}();

// The text of a field, by the field's type.
template<typename T> std::string text(const T &value)
{
    if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_enum_v<T>) {
        return util::SupportFile::keyword(value);
    } else if constexpr (std::is_same_v<T, std::string>) {
        return value;
    } else if constexpr (std::is_arithmetic_v<T>) {
        char buf[64];
        return std::string(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
    } else {
        std::string result;
        for (double v : value)
            result += (result.empty() ? "" : " ") + text(v);
        return result;
    }
}

template<typename... Fields> FieldList fieldList(Fields &&...fields)
{
    return {std::forward<Fields>(fields)...};
}

std::string lowerFirst(std::string name)
{
    name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

// Compares the fields of expected with the same fields of actual.
::testing::AssertionResult compare(const FieldList &actual, const FieldList &expected,
                                   const std::set<std::string> &except = {})
{
    std::string differences;
    for (const auto &want : expected) {
        const auto have = std::find_if(actual.begin(), actual.end(),
                                       [&](const auto &f) { return f.first == want.first; });
        if (except.count(want.first) == 0 && (have == actual.end() || have->second != want.second))
            differences += "\n  " + want.first + ": '"
                + (have == actual.end() ? "(no such field)" : have->second) + "', expected '"
                + want.second + "'";
    }
    if (differences.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "fields differ:" << differences;
}

} // namespace

FieldList supportFileFields(const util::SupportFile &r)
{
    std::string images;
    for (const auto &m : r.getImageMinifications()) {
        images += "[" + std::to_string(m.level) + " '" + m.fileName + "' " + std::to_string(m.lines)
            + " " + std::to_string(m.samples) + "]";
    }
#define F(Name) std::make_pair(lowerFirst(#Name), text(r.get##Name()))
    FieldList fields = fieldList(
        F(SupportFileTag), F(ImageID), F(RectificationTerms), F(GroundBias), F(Bias), F(Gain),
        F(GroundZero), F(LoadPoint), F(CoordSystem), F(Unit), F(UseFastMath), F(MaxElevation),
        F(MinElevation), F(ImageMotion), F(Initialized), F(Status), F(PhotoDate), F(Quality),
        F(SensorType), F(ImageLevel), F(MeanTerrainHeight), F(AnchorLatitude), F(AnchorLongitude),
        F(LineStaggered), F(ViewOfLine), F(RadiometricProperty), F(ImageDate), F(NumberScanLines),
        F(SensorRotation), F(Correction), F(L0GSD), F(OriginalCalibration), F(AdjustedCalibration),
        F(LocalOrigin), F(LocalOriginBasis), F(L0ImageName), F(RectScale), F(RectRotation),
        F(RectXOffset), F(RectYOffset), F(RectHeight), F(RectUseCalibration), F(FootprintRange),
        F(LatRef), F(LatScale), F(LonRef), F(LonScale), F(HeightRef), F(HeightScale), F(LineRef),
        F(LineScale), F(SampleRef), F(SampleScale), F(Poly20Line), F(Poly20Sample),
        F(InterlineDistance), F(InterpixelDistance), F(Ellipsoid), F(VerticalReference),
        F(EllipsoidSemiMajorAxis), F(EllipsoidEccentricity), F(EllipsoidCenter), F(ProjectionType),
        F(ProjectionZone), F(MiddleLatitude), F(CentralMeridian), F(CentralScaleFactor),
        F(StandardParallel1), F(StandardParallel2), F(OriginLatitude), F(OriginLongitude),
        F(FalseNorthingPos), F(FalseNorthingNeg), F(FalseEastingPos), F(FalseEastingNeg),
        F(GridName));
    fields.insert(fields.end(),
                  {{"imageFiles", images},
                   {"originalOrientation", r.getOriginalOdfFile()},
                   {"adjustedOrientation", r.getAdjustedOdfFile()}});
    return fields;
#undef F
}

FieldList parseFields(const std::string &text)
{
    FieldList fields;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find("; ", at), text.size());
        const std::size_t eq = text.find('=', at);
        fields.emplace_back(text.substr(at, eq - at), text.substr(eq + 1, end - eq - 1));
        at = end + 2;
    }
    return fields;
}

::testing::AssertionResult hasFields(const util::SupportFile &record, const std::string &expected)
{
    return compare(supportFileFields(record), parseFields(expected));
}

::testing::AssertionResult sameFields(const util::SupportFile &a, const util::SupportFile &b,
                                      const std::set<std::string> &except)
{
    return compare(supportFileFields(a), supportFileFields(b), except);
}

std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC)
        .toSecsSinceEpoch();
}

QStringList wellFormedSupportFiles()
{
    QStringList files;
    for (const QString &folder : {dataPath("support"), resourcePath("samples")}) {
        const QDir dir(folder);
        const QString pattern = folder.endsWith("support") ? "golden_*.sup" : "*.sup";
        for (const QString &name : dir.entryList({pattern}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}

std::vector<KeywordRow> referenceKeywords()
{
    std::vector<KeywordRow> rows;
    for (const TableRow &row : tableRows("support/keywords.txt")) {
        EXPECT_EQ(row.cells.size(), 4u) << row.line;
        if (row.cells.size() == 4)
            rows.push_back({row[0], row[1], row[2], row[3]});
    }
    return rows;
}

std::string writeText(const QTemporaryDir &dir, const std::string &name, const std::string &text)
{
    const QString path = dir.filePath(QString::fromStdString(name));
    writeFile(path, QByteArray::fromStdString(text));
    return path.toStdString();
}

InFolder::InFolder(const QString &folder)
    : m_before(QDir::currentPath())
{
    EXPECT_TRUE(QDir::setCurrent(folder)) << folder.toStdString();
}

InFolder::~InFolder()
{
    QDir::setCurrent(m_before);
}

void requireGdalPrograms()
{
    if (QStandardPaths::findExecutable(QStringLiteral("gdal_translate")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("gdalinfo")).isEmpty()) {
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "GDAL's programs are missing; scripts/setup-deps installs gdal-bin";
        GTEST_SKIP() << "GDAL's programs are not installed";
    }
}

QByteArray runGdal(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

std::vector<double> jsonNumbers(const QJsonValue &array)
{
    std::vector<double> numbers;
    for (const QJsonValue &v : array.toArray())
        numbers.push_back(v.toDouble());
    return numbers;
}

void expectNear(const std::vector<double> &ours, const std::vector<double> &gdal,
                const std::string &what)
{
    ASSERT_EQ(ours.size(), gdal.size()) << what;
    for (std::size_t i = 0; i < ours.size(); ++i)
        EXPECT_NEAR(ours[i], gdal[i], 1e-7 * std::max(1.0, std::fabs(gdal[i]))) << what << " " << i;
}

// Plain values come from a seed file, values of several parts and dates from the setters.
util::SupportFile goldenL1Record()
{
    util::SupportFile r;
    r.loadFile(dataPath("support/seed_L1.sup").toStdString());
    r.setRectificationTerms(1250.5, 0.25, 1.0, -3.75, 1.0, 0.0005);
    r.setGroundBias(0.1, -0.2, 12.5);
    r.setGroundZero(4512345.25, 512345.75, 123.5);
    r.setElevationRange(850.0, 120.5);
    r.setPhotoDate(utcSeconds(2011, 1, 15, 11, 34, 58)); // 12:34:58 CET
    r.setAnchorPoint(47.376887, 8.541694);
    r.setOriginalCalibration("calib/SN3001.cal");
    r.setL0ImageName("/data/sn3001/SN3001_110115_123458_PANF02A_L0.vyn");
    r.setRectOffset(12.5, 101.25);
    r.setFootprintRange(10.5, 47990.25, 11990.75, 20.125);
    r.setLocalOrigin(4512345.25, 512345.75, 432.125);
    const double basis[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    r.setLocalOriginBasis(basis);
    return r;
}

util::SupportFile goldenL2Record()
{
    util::SupportFile r;
    r.loadFile(dataPath("support/seed_L2.sup").toStdString());
    r.setPhotoDate(utcSeconds(2011, 1, 15, 11, 34, 58));
    r.setLatLonReference(0.826, 0.149, 0.0015, 0.0021);
    r.setHeightReference(450, 500);
    r.setLSReference(6000.5, 6000.5, 6000, 6000);
    double line[20], sample[20];
    for (int i = 0; i < 20; ++i) {
        line[i] = (i + 1) * 0.125 * (i % 2 ? -1 : 1);
        sample[i] = 1.0 / (1 << i);
    }
    r.setPoly20(line, sample);
    r.setEllipsoidRadius(6378137.0, 0.0818191908426215);
    r.setProjectionOriginOffset(0, 10000000, 500000, 500000);
    return r;
}

} // namespace quortest
