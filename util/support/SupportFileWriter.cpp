// Writing level-1 and level-2 support files. The text is built in memory with the
// locale-independent number formatters and written in one go.

#include "util/support/SupportFile.h"

#include "util/strings/NumberFormat.h"
#include "util/support/SupportFileIO.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <ctime>
#include <filesystem>

namespace util {

namespace {

class Text
{
public:
    Text() { m_out.reserve(4096); }

    Text &operator<<(const char *text)
    {
        m_out += text;
        return *this;
    }
    Text &operator<<(const std::string &text)
    {
        m_out += text;
        return *this;
    }
    Text &operator<<(char c)
    {
        m_out += c;
        return *this;
    }
    Text &integer(int value)
    {
        m_out += std::to_string(value);
        return *this;
    }
    Text &sci(double value) { return *this << formatScientific(value, m_sciDigits); }
    Text &fixed(double value, int decimals) { return *this << formatFixed(value, decimals); }
    Text &flag(bool value) { return *this << (value ? "TRUE" : "FALSE"); }
    /// Values each preceded by one space.
    template<typename Values> Text &spaced(const Values &values)
    {
        for (double v : values)
            *this << ' ' << formatScientific(v, m_sciDigits);
        return *this;
    }
    /// Values separated by single spaces.
    template<typename Values> Text &joined(const Values &values)
    {
        bool first = true;
        for (double v : values) {
            if (!first)
                *this << ' ';
            first = false;
            sci(v);
        }
        return *this;
    }

    void setSciDigits(int digits) { m_sciDigits = digits; }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
    int m_sciDigits = 14;
};

// The C library's ctime text, newline included, or "" for a time that ctime cannot format
// (its year must fit four characters).
std::string ctimeText(std::int64_t value)
{
    // localtime_r (inside ctime_r) does not pick up a changed TZ by itself.
    tzset();
    const std::time_t t = static_cast<std::time_t>(value);
    char buf[64];
    const char *text = ctime_r(&t, buf);
    return text ? std::string(text) : std::string();
}

std::string withoutNewline(std::string text)
{
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// File names are bytes, not necessarily UTF-8: Latin-1 maps each byte to one character and
// back, so every byte of a name that is not cut away comes through unchanged.
QString fromBytes(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
}

// The folder that holds path, made absolute on the byte level (QDir would decode the current
// folder as UTF-8 and the names as Latin-1, and then no longer find one inside the other).
QDir folderOf(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return QDir(QFileInfo(fromBytes(path)).absolutePath());
    return QDir(fromBytes(absolute.parent_path().string()));
}

std::string relativeTo(const QDir &dir, const std::string &name)
{
    return dir.relativeFilePath(fromBytes(name)).toLatin1().toStdString();
}

void writeOpening(Text &out, const SupportFile &r, const QDir *relativeDir)
{
    out << "support_file " << r.getSupportFileTag() << '\n';
    out << "IMAGE_ID \"" << r.getImageID() << "\"\n";
    for (const SupportFile::ImageMinification &image : r.getImageMinifications()) {
        out << "IMAGE_FILE_NAME ";
        out.integer(image.level) << " \""
                                 << (relativeDir ? relativeTo(*relativeDir, image.fileName)
                                                 : image.fileName)
                                 << "\"\n";
        out << "LINES   ";
        out.integer(image.lines) << '\n';
        out << "SAMPLES ";
        out.integer(image.samples) << '\n';
    }
    const auto &t = r.getRectificationTerms();
    out << "RECTIFICATION_TERMS\n";
    out << '\t';
    out.joined(std::array<double, 3> {t[0], t[1], t[2]}) << '\n';
    out << '\t';
    out.joined(std::array<double, 3> {t[3], t[4], t[5]}) << '\n';
    out << "GRND_BIAS ";
    out.joined(r.getGroundBias()) << '\n';
    out << "BIAS ";
    out.fixed(r.getBias(), 6) << " GAIN ";
    out.fixed(r.getGain(), 6) << '\n';
    out << "GROUND_ZERO ";
    out.joined(r.getGroundZero()) << '\n';
    out << "LOAD_PT ";
    out.joined(r.getLoadPoint()) << '\n';
    out << "COORD_SYSTEM ";
    out.integer(r.getCoordSystem()) << '\n';
    out << "UNITS ";
    out.integer(r.getUnit()) << '\n';
    out << "USE_FAST_MATH ";
    out.integer(r.getUseFastMath()) << '\n';
    out << "MAX_AND_MIN_ELEVATION ";
    out.fixed(r.getMinElevation(), 1) << "   ";
    out.fixed(r.getMaxElevation(), 1) << '\n';
    out << "IMAGE_MOTION ";
    out.integer(r.getImageMotion()) << '\n';
    out << "INITIALIZED ";
    out.integer(r.getInitialized()) << '\n';
    out << "STATUS ";
    out.integer(r.getStatus()) << '\n';
    out << "PHOTO_DATE \"" << withoutNewline(ctimeText(r.getPhotoDate())) << "\"\n";
    out << "QUALITY ";
    out.integer(r.getQuality()) << '\n';
    out << "SENSOR_TYPE " << SupportFile::keyword(r.getSensorType()) << '\n';
}

void writeOptionalPath(Text &out, const char *label, const std::string &path)
{
    if (!path.empty())
        out << label << path << '\n';
}

} // namespace

std::string SupportFile::formatL1SupportFile(const std::string &path, bool writeLevel0Name,
                                             bool relativeImageNames) const
{
    Text out;
    if (relativeImageNames) {
        const QDir dir = folderOf(path);
        writeOpening(out, *this, &dir);
    } else {
        writeOpening(out, *this, nullptr);
    }

    out << "IMAGE_LEVEL   1\n";
    out << "MEAN_TERRAIN_HEIGHT     ";
    out.fixed(m_meanTerrainHeight, 6) << '\n';
    out << "ANCHOR_LATITUDE    ";
    out.fixed(m_anchorLatitude, 12) << '\n';
    out << "ANCHOR_LONGITUDE   ";
    out.fixed(m_anchorLongitude, 12) << '\n';
    out << "LINE_STAGGERED   ";
    out.flag(m_lineStaggered) << '\n';
    out << "VIEW_OF_LINE   " << keyword(m_viewOfLine) << '\n';
    out << "RADIOMETRIC_PROPERTY   " << keyword(m_radiometricProperty) << '\n';
    // ctime's own newline ends this line; an unformattable date still gets its line end.
    const std::string imageDate = ctimeText(m_imageDate);
    out << "IMAGE_DATE   " << (imageDate.empty() ? std::string("\n") : imageDate);
    out << "NUMBER_SCAN_LINES   ";
    out.integer(m_numberScanLines) << '\n';
    out << "SENSOR_ROTATION   ";
    out.flag(m_sensorRotation) << '\n';
    out << "CORRECTION   " << keyword(m_correction) << '\n';
    out << "LEVEL_0_GSD     ";
    out.fixed(m_l0GSD, 8) << '\n';
    writeOptionalPath(out, "ORIGINAL_ORIENTATION   ", m_originalOrientation);
    writeOptionalPath(out, "ADJUSTED_ORIENTATION   ", m_adjustedOrientation);
    writeOptionalPath(out, "ORIGINAL_CALIBRATION   ", m_originalCalibration);
    writeOptionalPath(out, "ADJUSTED_CALIBRATION   ", m_adjustedCalibration);
    if (writeLevel0Name)
        writeOptionalPath(out, "LEVEL_0_NAME   ", m_l0ImageName);
    out << "RECT_SCALE     ";
    out.fixed(m_rectScale, 8) << '\n';
    out << "RECT_ROTATION     ";
    out.fixed(m_rectRotation, 8) << '\n';
    out << "RECT_XOFFSET   ";
    out.fixed(m_rectXOffset, 8) << '\n';
    out << "RECT_YOFFSET   ";
    out.fixed(m_rectYOffset - 1.0, 8) << '\n';
    out << "RECT_HEIGHT   ";
    out.fixed(m_rectHeight, 8) << '\n';
    out << "RECT_USE_CALIBRATION ";
    out.flag(m_rectUseCalibration) << '\n';
    out << "FOOTPRINT_LL_SAMPLE     ";
    out.fixed(m_footprintRange[0], 8) << '\n';
    out << "FOOTPRINT_LL_LINE     ";
    out.fixed(m_footprintRange[1], 8) << '\n';
    out << "FOOTPRINT_UR_SAMPLE     ";
    out.fixed(m_footprintRange[2], 8) << '\n';
    out << "FOOTPRINT_UR_LINE     ";
    out.fixed(m_footprintRange[3], 8) << '\n';
    out << "LOCAL_ORIGIN      ";
    out.joined(m_localOrigin) << '\n';
    out << "BASIS            ";
    out.spaced(m_localOriginBasis) << '\n';
    return out.take();
}

std::string SupportFile::formatL2SupportFile() const
{
    Text out;
    writeOpening(out, *this, nullptr);

    if (m_interlineDistance != 0) {
        // A georeferenced grid: the cell size replaces the polynomial description.
        out << "LAT_REF ";
        out.sci(m_latRef) << '\n';
        out << "LON_REF ";
        out.sci(m_lonRef) << '\n';
        out << "INTERLINE_DIST ";
        out.sci(m_interlineDistance) << '\n';
        out << "INTERPIXEL_DIST ";
        out.sci(m_interpixelDistance) << '\n';
    } else {
        const std::pair<const char *, double> references[] = {
            {"LAT_REF ", m_latRef},      {"LAT_SCALE ", m_latScale}, {"LON_REF ", m_lonRef},
            {"LON_SCALE ", m_lonScale},  {"H_REF ", m_heightRef},    {"H_SCALE ", m_heightScale},
            {"L_REF ", m_lineRef},       {"L_SCALE ", m_lineScale},  {"S_REF ", m_sampleRef},
            {"S_SCALE ", m_sampleScale},
        };
        for (const auto &ref : references) {
            out << ref.first;
            out.sci(ref.second) << '\n';
        }
        out << "POLY20_LINE";
        out.spaced(m_poly20Line) << '\n';
        out << "POLY20_SAMP";
        out.spaced(m_poly20Sample) << '\n';
    }
    out << "ELLIPSOID " << m_ellipsoid << '\n';
    out << "VERTICAL_REFERENCE ";
    out.integer(m_verticalReference) << '\n';
    out << "A_EARTH ";
    out.sci(m_ellipsoidSemiMajorAxis) << '\n';
    out << "E_EARTH ";
    out.sci(m_ellipsoidEccentricity) << '\n';
    out << "ELLIPSOID_CENTER ";
    out.spaced(m_ellipsoidCenter) << '\n';
    out << "PROJECTION_TYPE " << m_projectionType << '\n';

    out.setSciDigits(16);
    const bool transverseMercator = m_projectionType == "TRANSVERSE_MERCATOR_PROJECTION";
    if (m_projectionType == "UTM_PROJECTION") {
        out << "ZONE ";
        out.integer(m_projectionZone) << '\n';
    } else if (transverseMercator) {
        out << "MIDDLE_LATITUDE ";
        out.sci(m_middleLatitude) << '\n';
        out << "CENTRAL_MERIDIAN ";
        out.sci(m_centralMeridian) << '\n';
        out << "CENTRAL_SCALE_FACTOR ";
        out.sci(m_centralScaleFactor) << '\n';
    } else if (m_projectionType == "LAMBERT_CONFORMAL_PROJECTION") {
        out << "STANDARD_PARALLEL1 ";
        out.sci(m_standardParallel1) << '\n';
        out << "STANDARD_PARALLEL2 ";
        out.sci(m_standardParallel2) << '\n';
        out << "ORIGIN_LATITUDE ";
        out.sci(m_originLatitude) << '\n';
        out << "ORIGIN_LONGITUDE ";
        out.sci(m_originLongitude) << '\n';
    }
    out << "FALSE_NORTHING_POS ";
    out.sci(m_falseNorthingPos) << '\n';
    out << "FALSE_NORTHING_NEG ";
    out.sci(m_falseNorthingNeg) << '\n';
    out << "FALSE_EASTING_POS  ";
    out.sci(m_falseEastingPos) << '\n';
    out << "FALSE_EASTING_NEG  ";
    out.sci(m_falseEastingNeg) << '\n';
    if (transverseMercator)
        out << "GRID_NAME\n";
    else
        out << "GRID_NAME " << m_gridName << '\n';
    return out.take();
}

bool SupportFile::exportL1SupportFile(const std::string &path, bool writeLevel0Name,
                                      bool relativeImageNames)
{
    m_imageLevel = 1;
    return detail::writeWholeFile(path,
                                  formatL1SupportFile(path, writeLevel0Name, relativeImageNames));
}

bool SupportFile::exportL2SupportFile(const std::string &path)
{
    m_imageLevel = 2;
    return detail::writeWholeFile(path, formatL2SupportFile());
}

} // namespace util
