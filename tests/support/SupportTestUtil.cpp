#include "tests/support/SupportTestUtil.h"

#include <QDir>
#include <QFile>

#include <charconv>
#include <csignal>
#include <ctime>

#include <sys/resource.h>

namespace quortest {

namespace {

std::string num(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

template<typename Values> std::string nums(const Values &values)
{
    std::string text;
    for (double v : values)
        text += (text.empty() ? "" : " ") + num(v);
    return text;
}

} // namespace

FieldList supportFileFields(const util::SupportFile &r)
{
    std::string images;
    for (const auto &m : r.getImageMinifications()) {
        images += "[" + std::to_string(m.level) + " '" + m.fileName + "' " + std::to_string(m.lines)
            + " " + std::to_string(m.samples) + "]";
    }
    const auto &fp = r.getFootprintRange();
    return {
        {"supportFileTag", r.getSupportFileTag()},
        {"imageID", r.getImageID()},
        {"imageFiles", images},
        {"rectificationTerms", nums(r.getRectificationTerms())},
        {"groundBias", nums(r.getGroundBias())},
        {"bias", num(r.getBias())},
        {"gain", num(r.getGain())},
        {"groundZero", nums(r.getGroundZero())},
        {"loadPoint", nums(r.getLoadPoint())},
        {"coordSystem", std::to_string(r.getCoordSystem())},
        {"unit", std::to_string(r.getUnit())},
        {"useFastMath", std::to_string(r.getUseFastMath())},
        {"maxElevation", num(r.getMaxElevation())},
        {"minElevation", num(r.getMinElevation())},
        {"imageMotion", std::to_string(r.getImageMotion())},
        {"initialized", std::to_string(r.getInitialized())},
        {"status", std::to_string(r.getStatus())},
        {"photoDate", std::to_string(r.getPhotoDate())},
        {"quality", std::to_string(r.getQuality())},
        {"sensorType", util::SupportFile::keyword(r.getSensorType())},
        {"imageLevel", std::to_string(r.getImageLevel())},
        {"meanTerrainHeight", num(r.getMeanTerrainHeight())},
        {"anchorLatitude", num(r.getAnchorLatitude())},
        {"anchorLongitude", num(r.getAnchorLongitude())},
        {"lineStaggered", r.getLineStaggered() ? "true" : "false"},
        {"viewOfLine", util::SupportFile::keyword(r.getViewOfLine())},
        {"radiometricProperty", util::SupportFile::keyword(r.getRadiometricProperty())},
        {"imageDate", std::to_string(r.getImageDate())},
        {"numberScanLines", std::to_string(r.getNumberScanLines())},
        {"sensorRotation", r.getSensorRotation() ? "true" : "false"},
        {"correction", util::SupportFile::keyword(r.getCorrection())},
        {"l0GSD", num(r.getL0GSD())},
        {"originalOrientation", r.getOriginalOdfFile()},
        {"adjustedOrientation", r.getAdjustedOdfFile()},
        {"originalCalibration", r.getOriginalCalibration()},
        {"adjustedCalibration", r.getAdjustedCalibration()},
        {"localOrigin", nums(r.getLocalOrigin())},
        {"localOriginBasis", nums(r.getLocalOriginBasis())},
        {"l0ImageName", r.getL0ImageName()},
        {"rectScale", num(r.getRectScale())},
        {"rectRotation", num(r.getRectRotation())},
        {"rectXOffset", num(r.getRectXOffset())},
        {"rectYOffset", num(r.getRectYOffset())},
        {"rectHeight", num(r.getRectHeight())},
        {"rectUseCalibration", r.getRectUseCalibration() ? "true" : "false"},
        {"footprintRange", nums(fp)},
        {"latRef", num(r.getLatRef())},
        {"latScale", num(r.getLatScale())},
        {"lonRef", num(r.getLonRef())},
        {"lonScale", num(r.getLonScale())},
        {"heightRef", num(r.getHeightRef())},
        {"heightScale", num(r.getHeightScale())},
        {"lineRef", num(r.getLineRef())},
        {"lineScale", num(r.getLineScale())},
        {"sampleRef", num(r.getSampleRef())},
        {"sampleScale", num(r.getSampleScale())},
        {"poly20Line", nums(r.getPoly20Line())},
        {"poly20Sample", nums(r.getPoly20Sample())},
        {"interlineDistance", num(r.getInterlineDistance())},
        {"interpixelDistance", num(r.getInterpixelDistance())},
        {"ellipsoid", r.getEllipsoid()},
        {"verticalReference", std::to_string(r.getVerticalReference())},
        {"ellipsoidSemiMajorAxis", num(r.getEllipsoidSemiMajorAxis())},
        {"ellipsoidEccentricity", num(r.getEllipsoidEccentricity())},
        {"ellipsoidCenter", nums(r.getEllipsoidCenter())},
        {"projectionType", r.getProjectionType()},
        {"projectionZone", std::to_string(r.getProjectionZone())},
        {"middleLatitude", num(r.getMiddleLatitude())},
        {"centralMeridian", num(r.getCentralMeridian())},
        {"centralScaleFactor", num(r.getCentralScaleFactor())},
        {"standardParallel1", num(r.getStandardParallel1())},
        {"standardParallel2", num(r.getStandardParallel2())},
        {"originLatitude", num(r.getOriginLatitude())},
        {"originLongitude", num(r.getOriginLongitude())},
        {"falseNorthingPos", num(r.getFalseNorthingPos())},
        {"falseNorthingNeg", num(r.getFalseNorthingNeg())},
        {"falseEastingPos", num(r.getFalseEastingPos())},
        {"falseEastingNeg", num(r.getFalseEastingNeg())},
        {"gridName", r.getGridName()},
    };
}

std::string supportFileField(const util::SupportFile &record, const std::string &name)
{
    for (const auto &field : supportFileFields(record)) {
        if (field.first == name)
            return field.second;
    }
    ADD_FAILURE() << "no field named " << name;
    return {};
}

::testing::AssertionResult sameFields(const util::SupportFile &a, const util::SupportFile &b,
                                      const std::set<std::string> &except)
{
    const FieldList fa = supportFileFields(a);
    const FieldList fb = supportFileFields(b);
    std::string differences;
    for (std::size_t i = 0; i < fa.size(); ++i) {
        if (except.count(fa[i].first) == 0 && fa[i].second != fb[i].second)
            differences +=
                "\n  " + fa[i].first + ": '" + fa[i].second + "' vs '" + fb[i].second + "'";
    }
    if (differences.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "fields differ:" << differences;
}

std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    // Days from civil (H. Hinnant's algorithm).
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = era * 146097 + static_cast<std::int64_t>(doe) - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

ScopedTimeZone::ScopedTimeZone(const char *tz)
    : m_env(std::make_unique<ScopedEnv>("TZ", QByteArray(tz)))
{
    tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    m_env.reset();
    tzset();
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long limit)
{
    rlimit r;
    getrlimit(RLIMIT_FSIZE, &r);
    m_savedLimit = r.rlim_cur;
    m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    r.rlim_cur = limit;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &r), 0);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    rlimit r;
    getrlimit(RLIMIT_FSIZE, &r);
    r.rlim_cur = m_savedLimit;
    setrlimit(RLIMIT_FSIZE, &r);
    std::signal(SIGXFSZ, m_savedHandler);
}

QStringList wellFormedSupportFiles()
{
    QStringList files;
    const QDir data(dataPath("support"));
    for (const QString &name : data.entryList({"golden_*.sup"}, QDir::Files, QDir::Name))
        files << data.filePath(name);
    const QDir samples(resourcePath("samples"));
    for (const QString &name : samples.entryList({"*.sup"}, QDir::Files, QDir::Name))
        files << samples.filePath(name);
    return files;
}

std::string writeText(const QTemporaryDir &dir, const std::string &name, const std::string &text)
{
    const QString path = dir.filePath(QString::fromStdString(name));
    writeFile(path, QByteArray::fromStdString(text));
    return path.toStdString();
}

util::SupportFile goldenL1Record(const QTemporaryDir &dir)
{
    util::SupportFile r;
    r.loadFile(
        writeText(dir, "seed_L1.sup",
                  "IMAGE_LEVEL 1\n"
                  "IMAGE_FILE_NAME 1 \"/data/sn3001/SN3001_110115_123458_PANF02A_L1.tif\"\n"
                  "LINES 48000\nSAMPLES 12000\n"
                  "IMAGE_FILE_NAME 2 \"/data/sn3001/SN3001_110115_123458_PANF02A_L1_2.tif\"\n"
                  "LINES 24000\nSAMPLES 6000\n"
                  "IMAGE_DATE Sun Jun  5 09:05:03 2011\n"));
    r.setImageID("SN3001_110115_123458_PANF02A_L1");
    r.setRectificationTerms(1250.5, 0.25, 1.0, -3.75, 1.0, 0.0005);
    r.setGroundBias(0.1, -0.2, 12.5);
    r.setBias(2.5);
    r.setGain(1.25);
    r.setGroundZero(4512345.25, 512345.75, 123.5);
    r.setCoordSystem(3);
    r.setUnit(1);
    r.setUseFastMath(true);
    r.setElevationRange(850.0, 120.5);
    r.setImageMotion(1);
    r.setInitialized(2);
    r.setStatus(4);
    r.setPhotoDate(utcSeconds(2011, 1, 15, 11, 34, 58)); // 12:34:58 CET
    r.setImageQuality(3);
    r.setSensorType(util::SupportFile::VYN);
    r.setMeanTerrainHeight(432.125);
    r.setAnchorPoint(47.376887, 8.541694);
    r.setLineStaggered(true);
    r.setViewOfLine(util::SupportFile::FORWARD);
    r.setRadiometricProperty(util::SupportFile::PANCHROMATIC);
    r.setNumberScanLines(48000);
    r.setSensorRotation(false);
    r.setCorrection(util::SupportFile::EARTH_AND_ATMOSPH_CORR);
    r.setL0GSD(0.0625);
    r.setOriginalOrientation("/data/sn3001/orientation/SN3001_110115.odf");
    r.setOriginalCalibration("calib/SN3001.cal");
    r.setL0ImageName("/data/sn3001/SN3001_110115_123458_PANF02A_L0.vyn");
    r.setRectScale(0.5);
    r.setRectRotation(0.0125);
    r.setRectOffset(12.5, 101.25);
    r.setRectHeight(432.125);
    r.setRectUseCalibration(true);
    r.setFootprintRange(10.5, 47990.25, 11990.75, 20.125);
    r.setLocalOrigin(4512345.25, 512345.75, 432.125);
    const double basis[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    r.setLocalOriginBasis(basis);
    return r;
}

util::SupportFile goldenL2Record(const QTemporaryDir &dir)
{
    util::SupportFile r;
    r.loadFile(writeText(dir, "seed_L2.sup",
                         "IMAGE_FILE_NAME 1 \"ortho/SN3001_110115_123458_RGBN00AL2_012_034.tif\"\n"
                         "LINES 4000\nSAMPLES 4000\n"));
    r.setImageID("SN3001_110115_123458_RGBN00AL2_012_034");
    r.setPhotoDate(utcSeconds(2011, 1, 15, 11, 34, 58));
    r.setSensorType(util::SupportFile::ORTHO);
    r.setLatLonReference(0.826, 0.149, 0.0015, 0.0021);
    r.setHeightReference(450, 500);
    r.setLSReference(6000.5, 6000.5, 6000, 6000);
    double line[20], sample[20];
    for (int i = 0; i < 20; ++i) {
        line[i] = (i + 1) * 0.125 * (i % 2 ? -1 : 1);
        sample[i] = 1.0 / (1 << i);
    }
    r.setPoly20(line, sample);
    r.setEllipsoid("WGS_84");
    r.setVerticalReference(1);
    r.setEllipsoidRadius(6378137.0, 0.0818191908426215);
    r.setProjectionType("UTM_PROJECTION");
    r.setProjectionZone(32);
    r.setProjectionOriginOffset(0, 10000000, 500000, 500000);
    r.setGridName("UTM_32N");
    return r;
}

} // namespace quortest
